#include "import/import_problem.h"

namespace qb::import {

std::string unreadableTextReason(ImportProblem problem) {
    switch (problem) {
    case ImportProblem::BadUtf16:
        return "The file begins as UTF-16 (Unicode) text but is not valid UTF-16.";
    default:
        return {};
    }
}

} // namespace qb::import
