#include "import/import_problem.h"

namespace qb::import {

std::string unreadableTextReason(ImportProblem problem) {
    switch (problem) {
    case ImportProblem::NulByte:
        return "The file holds NUL bytes, so it is not a text file that Quillbox can read. Save it as text (CSV, "
               "UTF-8 or Unicode text) and import that file.";
    case ImportProblem::BadUtf16:
        return "The file begins as UTF-16 (Unicode) text but is not valid UTF-16.";
    default:
        return {};
    }
}

} // namespace qb::import
