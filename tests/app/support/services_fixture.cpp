#include "form_fixture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <cstdlib>
#include <filesystem>

namespace qb::test {

FormFixture::FormFixture() {
    if (const char* old = std::getenv("QUILLBOX_HOME"))
        previousHome_ = old;
    // Anything that looks the home up itself lands in this test's folder, never in the real home.
    setenv("QUILLBOX_HOME", home.path().c_str(), 1);
    EXPECT_TRUE(drives.ensureDriveC());
}

FormFixture::~FormFixture() {
    form.reset();
    // Windows unloaded with deleteLater go now, while what they point at still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (previousHome_)
        setenv("QUILLBOX_HOME", previousHome_->c_str(), 1);
    else
        unsetenv("QUILLBOX_HOME");
}

app::MainWindow& FormFixture::makeForm() {
    form = std::make_unique<app::MainWindow>(services);
    form->show();
    return *form;
}

std::string FormFixture::makeQuillFolder() {
    std::string folder = drivePath("c:\\quill");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    EXPECT_FALSE(error) << "cannot create " << folder << ": " << error.message();
    return folder;
}

bool FormFixture::showActive(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace qb::test
