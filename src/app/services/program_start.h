#pragma once
// Starting Quillbox again as a program of its own, as a click on a notification or on a search result does.

#include <QString>
#include <QStringList>
#include <optional>

namespace qb::app {

/** Starts this program's executable detached, with --home home when home is not empty, then arguments; the reason
 *  when it could not be started. */
[[nodiscard]] std::optional<QString> startQuillbox(const QString& home, const QStringList& arguments = {});

} // namespace qb::app
