#include "services_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <cstdlib>
#include <filesystem>

namespace qb::test {

ServicesFixture::ServicesFixture() {
    if (const char* old = std::getenv("QUILLBOX_HOME"))
        previousHome_ = old;
    // Anything that looks the home up itself lands in this test's folder, never in the real home.
    setenv("QUILLBOX_HOME", home.path().c_str(), 1);
    EXPECT_TRUE(drives.ensureDriveC());
}

ServicesFixture::~ServicesFixture() {
    // Windows unloaded with deleteLater go now, while what they point at still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (previousHome_)
        setenv("QUILLBOX_HOME", previousHome_->c_str(), 1);
    else
        unsetenv("QUILLBOX_HOME");
}

std::string ServicesFixture::makeQuillFolder() {
    std::string folder = drivePath("c:\\quill");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    EXPECT_FALSE(error) << "cannot create " << folder << ": " << error.message();
    return folder;
}

bool ServicesFixture::showActive(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

QWidget* focusedControl() {
    QWidget* focus = QApplication::focusWidget();
    if (focus && qobject_cast<QComboBox*>(focus->parentWidget()))
        return focus->parentWidget();
    return focus;
}

} // namespace qb::test
