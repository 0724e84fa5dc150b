#pragma once
// GNOME Shell's search provider interface (org.gnome.Shell.SearchProvider2) on the search service.

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QList>
#include <QStringList>
#include <QVariantMap>

namespace qb::app {

class SearchService;

/** Answers the overview of GNOME Shell: result ids are record numbers. */
class GnomeSearchProvider : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.SearchProvider2")
public:
    /** Adds the interface to the service, which owns it. */
    explicit GnomeSearchProvider(SearchService& service);

public slots:
    /** The ids of the records that hold the terms, a phrase of words. */
    QStringList GetInitialResultSet(const QStringList& terms, const QDBusMessage& message);
    /** A new question as the user types on; the walk of the one before ends. */
    QStringList GetSubsearchResultSet(const QStringList& previousResults, const QStringList& terms,
                                      const QDBusMessage& message);
    /** Name, description and icon of each id. */
    QList<QVariantMap> GetResultMetas(const QStringList& ids);
    /** Opens Quillbox on the record of an id. */
    void ActivateResult(const QString& id, const QStringList& terms, uint timestamp);
    /** Opens Quillbox with the terms in its search box. */
    void LaunchSearch(const QStringList& terms, uint timestamp);

private:
    SearchService& service_;
};

} // namespace qb::app
