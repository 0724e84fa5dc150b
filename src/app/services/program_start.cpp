#include "app/services/program_start.h"

#include <QCoreApplication>
#include <QProcess>

namespace qb::app {

std::optional<QString> startQuillbox(const QString& home, const QStringList& arguments) {
    QProcess quillbox;
    quillbox.setProgram(QCoreApplication::applicationFilePath());
    quillbox.setArguments(home.isEmpty() ? arguments : QStringList{QStringLiteral("--home"), home} + arguments);
    if (quillbox.startDetached())
        return std::nullopt;
    return quillbox.errorString();
}

} // namespace qb::app
