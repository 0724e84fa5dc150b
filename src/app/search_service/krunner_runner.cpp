#include "app/search_service/krunner_runner.h"

#include <QDBusMetaType>

#include "app/search_service/search_service.h"

namespace qb::app {
namespace {

constexpr int kPossibleMatch = 30; // KRunner's kind of a match that may be what the user looks for

// The folder's order, as relevance: the first match the most relevant.
QVariant matchesOf(const QList<ShownNote>& notes) {
    RunnerMatches matches;
    for (const ShownNote& note : notes)
        matches.append({note.id,
                        note.name,
                        kSearchIcon,
                        kPossibleMatch,
                        1.0 - 0.01 * static_cast<double>(matches.size()),
                        {{QStringLiteral("subtext"), note.description}}});
    return QVariant::fromValue(matches);
}

} // namespace

KRunnerRunner::KRunnerRunner(SearchService& service) : QDBusAbstractAdaptor(&service), service_(service) {
    qDBusRegisterMetaType<RunnerMatch>();
    qDBusRegisterMetaType<RunnerMatches>();
    qDBusRegisterMetaType<RunnerAction>();
    qDBusRegisterMetaType<RunnerActions>();
}

RunnerActions KRunnerRunner::Actions() {
    return {};
}

RunnerMatches KRunnerRunner::Match(const QString& query, const QDBusMessage& message) {
    service_.ask(query, message, matchesOf);
    return {}; // the reply goes once the finder answers
}

void KRunnerRunner::Run(const QString& matchId, const QString& /*actionId*/) {
    service_.open(matchId);
}

QDBusArgument& operator<<(QDBusArgument& argument, const RunnerMatch& match) {
    argument.beginStructure();
    argument << match.id << match.text << match.iconName << match.type << match.relevance << match.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, RunnerMatch& match) {
    argument.beginStructure();
    argument >> match.id >> match.text >> match.iconName >> match.type >> match.relevance >> match.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const RunnerAction& action) {
    argument.beginStructure();
    argument << action.id << action.text << action.iconName;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, RunnerAction& action) {
    argument.beginStructure();
    argument >> action.id >> action.text >> action.iconName;
    argument.endStructure();
    return argument;
}

} // namespace qb::app
