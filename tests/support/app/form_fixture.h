#pragma once
// The base of the main window's tests: the services of the app tests and the main window built on them.

#include <memory>

#include "app/windows/main_window/main_window.h"
#include "services_fixture.h"

namespace qb::test {

/** The main window is made on request and never runs its start-up. */
class FormFixture : public ServicesFixture {
protected:
    ~FormFixture() override { form.reset(); }

    /** Builds the main window and shows it, without running startUp. */
    app::MainWindow& makeForm() {
        form = std::make_unique<app::MainWindow>(services);
        form->show();
        return *form;
    }

    std::unique_ptr<app::MainWindow> form;
};

} // namespace qb::test
