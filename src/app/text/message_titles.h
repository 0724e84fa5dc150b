#pragma once
// The titles of the program's message boxes, each defined once.

#include <QString>

namespace qb::app::titles {

/** Refusals of a save or a search, and failures to save. */
inline const QString kAlert = QStringLiteral("Alert!");
/** Notices: deleting, the password, the default directory, the import, the reformat, printing. */
inline const QString kAttention = QStringLiteral("Attention!");
/** The directory check, the end of a search and the import's problem message, which have no exclamation mark. */
inline const QString kAttentionPlain = QStringLiteral("Attention");
/** A record written. */
inline const QString kSaved = QStringLiteral("Saved!");
/** A new password stored. */
inline const QString kPasswordSaved = QStringLiteral("Password saved!");
/** The search's question after each match. */
inline const QString kMatchFound = QStringLiteral("Match found");

} // namespace qb::app::titles
