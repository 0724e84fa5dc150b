#pragma once
// `quillbox --remind`: the records due today told without a window, as a desktop notification and on standard
// output.

#include <chrono>

#include "app/command_line.h"

namespace qb::app {

/** How long `--remind` waits at most for the notification's click or closing. */
inline constexpr std::chrono::hours kNotificationWait{4};

/**
 * Runs the start-up reminder check without a window, changing no file of the Quillbox home or the data folder: when
 * records are due, prints them all; shows one notification of those not yet told today, whose click starts
 * Quillbox, remembers them as told (in the state folder) and waits for the click or its closing. Runs take turns
 * through the state folder, a later one waiting for as long as the earlier one takes. Nothing happens when alarm
 * checking is off or nothing is due, and no notification when all were told already, or when the state folder
 * gives no turn (it is not the user's own, say). Returns the exit status: 0, or 1 when standard output could not be
 * written, the state folder gave no turn or Quillbox could not be started.
 */
int runRemindCommand(const CommandLine& commandLine, char** argv);

} // namespace qb::app
