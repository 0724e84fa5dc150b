#pragma once
// The search service that GNOME Shell and KRunner ask over the session bus: the finder behind both desktops'
// interfaces, the notes of its latest answers, the start of Quillbox for a result, and the end after a minute
// without questions.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

#include "finder/finder.h"

namespace qb::app {

/** The service's name on the session bus, which the desktops' files name. */
inline const QString kSearchBusName = QStringLiteral("io.github.quillbox.Quillbox.SearchProvider");
/** The path of the object that answers both desktops. */
inline const QString kSearchObjectPath = QStringLiteral("/io/github/quillbox/Quillbox/SearchProvider");
/** The icon of every result: the program's own, by its name in the icon theme. */
inline const QString kSearchIcon = QStringLiteral("quillbox");

/** How long the service waits for a question before it ends; the desktop starts it again for the next one. */
inline constexpr std::chrono::minutes kSearchServiceIdle{1};

/** A note as the desktops show it. */
struct ShownNote {
    QString id; ///< the record number, or kLockedId
    QString name;
    QString description;
};

/** The id of the one result while a start-up password is set. */
inline const QString kLockedId = QStringLiteral("locked");

/** Answers the questions of both desktops' adaptors, which are its children. */
class SearchService : public QObject {
    Q_OBJECT
public:
    /** Makes a question's reply out of the notes found. */
    using Replier = std::function<QVariant(const QList<ShownNote>&)>;

    /** A service on bus that searches the data folder of drives; home is what --home gave, passed on to Quillbox. */
    SearchService(const QDBusConnection& bus, const platform::DriveMap& drives, QString home);

    /** Answers the message, a question for the records that hold words, later: with what replier makes of the
     *  notes found, once the finder answers. */
    void ask(const QString& words, const QDBusMessage& message, const Replier& replier);
    /** The note of an id of the latest answers; nothing for an id the service did not give. */
    [[nodiscard]] std::optional<ShownNote> note(const QString& id);
    /** Starts Quillbox showing the record of an id; the locked result starts it as usual. */
    void open(const QString& id);
    /** Starts Quillbox with words in its first search box. */
    void launchSearch(const QString& words);

private:
    void answered(const QDBusMessage& message, const Replier& replier, const finder::Answer& answer);
    void start(const QStringList& arguments);
    void stayAwake();

    QDBusConnection bus_;
    QString home_;
    QTimer idle_;
    QHash<QString, ShownNote> notes_; // of the latest answers, by id
    finder::Finder finder_;           // declared last: no answer comes once it has ended
};

/** Runs the search service on the desktop's session bus until kSearchServiceIdle passes without a question; home is
 *  what --home gave. Returns the exit status: 0, or 1 when there is no session bus or its name is taken. */
int runSearchService(const QString& home, char** argv);

} // namespace qb::app
