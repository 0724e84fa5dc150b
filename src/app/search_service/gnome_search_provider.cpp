#include "app/search_service/gnome_search_provider.h"

#include <QDBusMetaType>

#include "app/search_service/search_service.h"

namespace qb::app {
namespace {

// The overview splits what the user typed at spaces; the program's search seeks it as one phrase.
QString phraseOf(const QStringList& terms) {
    return terms.join(QLatin1Char(' '));
}

QVariant idsOf(const QList<ShownNote>& notes) {
    QStringList ids;
    for (const ShownNote& note : notes)
        ids.append(note.id);
    return ids;
}

} // namespace

GnomeSearchProvider::GnomeSearchProvider(SearchService& service) : QDBusAbstractAdaptor(&service), service_(service) {
    qDBusRegisterMetaType<QList<QVariantMap>>();
}

QStringList GnomeSearchProvider::GetInitialResultSet(const QStringList& terms, const QDBusMessage& message) {
    service_.ask(phraseOf(terms), message, idsOf);
    return {}; // the reply goes once the finder answers
}

QStringList GnomeSearchProvider::GetSubsearchResultSet(const QStringList& /*previousResults*/, const QStringList& terms,
                                                       const QDBusMessage& message) {
    // The results before were a desktop's worth, not all there are: the folder is walked again.
    return GetInitialResultSet(terms, message);
}

QList<QVariantMap> GnomeSearchProvider::GetResultMetas(const QStringList& ids) {
    QList<QVariantMap> metas;
    for (const QString& id : ids) {
        if (const std::optional<ShownNote> note = service_.note(id))
            metas.append({{QStringLiteral("id"), note->id},
                          {QStringLiteral("name"), note->name},
                          {QStringLiteral("description"), note->description},
                          {QStringLiteral("gicon"), kSearchIcon}});
    }
    return metas;
}

void GnomeSearchProvider::ActivateResult(const QString& id, const QStringList& /*terms*/, uint /*timestamp*/) {
    service_.open(id);
}

void GnomeSearchProvider::LaunchSearch(const QStringList& terms, uint /*timestamp*/) {
    service_.launchSearch(phraseOf(terms));
}

} // namespace qb::app
