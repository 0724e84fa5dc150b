#include "app/dialogs/progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qb::app {

ProgressDialog::ProgressDialog(QWidget* parent, const QString& title, const QString& text)
    : QDialog(parent), status(new QLabel(text, this)), bar(new QProgressBar(this)),
      stopButton(new QPushButton(QStringLiteral("&Stop"), this)) {
    setObjectName(QStringLiteral("progressWindow"));
    setWindowTitle(title);
    setAccessibleName(title);
    setWindowModality(Qt::ApplicationModal);
    status->setObjectName(QStringLiteral("status"));
    status->setMinimumWidth(status->fontMetrics().averageCharWidth() * 50);
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setAccessibleName(title);
    bar->setRange(0, 0); // busy until the first count comes
    stopButton->setObjectName(QStringLiteral("stopButton"));
    stopButton->setAccessibleName(QStringLiteral("Stop"));
    stopButton->setToolTip(QStringLiteral("Stop once the record being written is complete"));
    // A dialog's buttons take Enter by default; Enter pressed again, or held down, after the one that started the
    // job must not stop it.
    stopButton->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(bar);
    layout->addWidget(stopButton, 0, Qt::AlignRight);
    connect(stopButton, &QPushButton::clicked, this, &ProgressDialog::stopAsked);
    show();
    // Drawn before the job holds the program again.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::showProgress(const QString& text, int done, int total) {
    if (!stopping_)
        status->setText(text);
    bar->setRange(0, std::max(total, 1));
    bar->setValue(std::min(done, std::max(total, 1)));
    // Screen readers read the bar by its name and value; its name also says where the job stands.
    bar->setAccessibleDescription(text);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressDialog::showStopping() {
    stopping_ = true;
    stopButton->setEnabled(false);
    status->setText(QStringLiteral("Stopping once the record being written is complete..."));
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    // Closing the window through its frame is Stop; the window goes once the job has ended.
    event->ignore();
    emit stopAsked();
}

void ProgressDialog::reject() {
    emit stopAsked(); // Escape: as Stop
}

} // namespace qb::app
