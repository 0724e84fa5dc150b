// Quillbox: notes kept as small record files, with reminders, search, import and printing.

#include "app/application.h"

int main(int argc, char** argv) {
    return qb::app::runQuillbox(argc, argv);
}
