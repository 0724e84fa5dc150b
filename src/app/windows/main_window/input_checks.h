#pragma once
// The input checks that saving and searching make on the main window, and the refusal of text the record files
// cannot store, each shown to the user when it refuses.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include <QString>

namespace qb::app {

class MainWindow;

/** The no-spaces, reminder date and double-quote checks in that order; shows the first refusal (title "Alert!")
 *  and returns false. */
[[nodiscard]] bool inputChecksPass(MainWindow& form);

/** Narrows texts to Windows-1252 into out, in order. On the first text holding a character the code page cannot
 *  hold, tells the user which character it is (title "Alert!") and returns false. */
[[nodiscard]] bool narrowOrRefuse(MainWindow& form, const QString* texts, std::string* out, std::size_t count);

/** The texts as Windows-1252, in order; nothing, once the user has been told, when one of them holds a character
 *  the record files cannot store. Only the texts an operation reads or writes are given, so a character elsewhere
 *  on the form never stops it. */
template <std::size_t N>
[[nodiscard]] std::optional<std::array<std::string, N>> storableTexts(MainWindow& form,
                                                                      const std::array<QString, N>& texts) {
    std::array<std::string, N> narrowed;
    if (!narrowOrRefuse(form, texts.data(), narrowed.data(), N))
        return std::nullopt;
    return narrowed;
}

/** The data directory box as Windows-1252, or nothing when it holds a character the code page cannot hold. */
[[nodiscard]] std::optional<std::string> dataDirectoryOf(const MainWindow& form);

} // namespace qb::app
