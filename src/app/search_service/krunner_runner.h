#pragma once
// KRunner's interface for runners on the session bus (org.kde.krunner1) on the search service.

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace qb::app {

class SearchService;

/** A match as KRunner takes it. */
struct RunnerMatch {
    QString id;
    QString text;
    QString iconName;
    int type = 0;           ///< how the match fits the query; KRunner's "possible match" is 30
    double relevance = 0;   ///< from 0 to 1, KRunner's order among a runner's matches
    QVariantMap properties; ///< "subtext": the line under the text
};
/** An action KRunner may offer beside each match. */
struct RunnerAction {
    QString id;
    QString text;
    QString iconName;
};
using RunnerMatches = QList<RunnerMatch>;
using RunnerActions = QList<RunnerAction>;

/** Answers KRunner: match ids are record numbers. */
class KRunnerRunner : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.krunner1")
public:
    /** Adds the interface to the service, which owns it. */
    explicit KRunnerRunner(SearchService& service);

public slots:
    /** The actions beside each match: none, a match only opens. */
    RunnerActions Actions();
    /** The records that hold the query, a phrase; the walk of the query before ends. */
    RunnerMatches Match(const QString& query, const QDBusMessage& message);
    /** Opens Quillbox on the record of a match. */
    void Run(const QString& matchId, const QString& actionId);

private:
    SearchService& service_;
};

QDBusArgument& operator<<(QDBusArgument& argument, const RunnerMatch& match);
const QDBusArgument& operator>>(const QDBusArgument& argument, RunnerMatch& match);
QDBusArgument& operator<<(QDBusArgument& argument, const RunnerAction& action);
const QDBusArgument& operator>>(const QDBusArgument& argument, RunnerAction& action);

} // namespace qb::app

Q_DECLARE_METATYPE(qb::app::RunnerMatch)
Q_DECLARE_METATYPE(qb::app::RunnerAction)
