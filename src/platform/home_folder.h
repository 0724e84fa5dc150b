#pragma once
// Where the program keeps its drive folders (its home), and whether that folder can be trusted with the notes.

#include <optional>
#include <string>
#include <sys/types.h>

namespace qb::platform {

/** Where the home can come from; an empty text is a source that is not set. */
struct HomeSources {
    std::string option;       ///< the --home option, already made absolute
    std::string quillboxHome; ///< $QUILLBOX_HOME
    std::string xdgDataHome;  ///< $XDG_DATA_HOME
    std::string userHome;     ///< $HOME
    std::string accountHome;  ///< the home folder of the user's entry in the password database
};

/** The folder that holds the drive folders, or why the program cannot have one. The reasons are the home rules' own
 *  findings (another user's folder, one others may write to), not a system call's, so they are sentences, not a
 *  Status. */
struct [[nodiscard]] HomeChoice {
    std::string folder;  ///< the home, when there is no problem
    std::string problem; ///< why there is no usable home; empty when there is one
    [[nodiscard]] bool ok() const { return problem.empty(); }
};

/** What the file system says about a folder, as stat gives it. */
struct FolderFacts {
    bool isFolder = false;
    uid_t owner = 0;
    mode_t mode = 0;
};

/**
 * Which folder is the home: the option, else $QUILLBOX_HOME, else $XDG_DATA_HOME/quillbox, else
 * ~/.local/share/quillbox. A relative XDG_DATA_HOME or HOME counts as not set, as the XDG rules say; without HOME the
 * home folder comes from the password database, and without that there is no home at all rather than one in a
 * folder anybody could make first.
 */
[[nodiscard]] HomeChoice chooseHome(const HomeSources& sources);

/** Why an existing folder cannot hold the notes of the user: it is no folder, another user owns it, or its group or
 *  others may write to it (and so plant or swap files in it; the reason names the chmod that mends it). Nothing when
 *  it can. */
[[nodiscard]] std::optional<std::string> homeFolderProblem(const std::string& folder, const FolderFacts& facts,
                                                           uid_t user);

/** The home of this process for reading only: chosen by chooseHome() from the option (empty when not given), the
 *  environment and the password database, refused as homeFolderProblem() says of it or of its drive C folder when
 *  they exist; nothing is created. */
[[nodiscard]] HomeChoice homeToRead(const std::string& option);

/** The home of this process and whether its drive C folder is there. */
struct [[nodiscard]] ProgramHome {
    HomeChoice choice;
    bool driveC = false; ///< drive_c exists in the home (it was there or could be made)
};

/** The home of this process, ready for use: chosen by chooseHome() from the option (empty when not given), the
 *  environment and the password database; refused as homeFolderProblem() says of it or of its drive C folder, both
 *  before the drive C folder is made when missing and after, so a folder that someone else made in between is
 *  refused too. */
[[nodiscard]] ProgramHome programHome(const std::string& option);

/** Where the program keeps what it remembers between runs, outside its home: $XDG_STATE_HOME/quillbox, else
 *  ~/.local/state/quillbox (a relative XDG_STATE_HOME or HOME counts as not set, as the XDG rules say; without HOME,
 *  the home folder of the password database); empty when there is no home folder at all. */
[[nodiscard]] std::string stateFolder();

} // namespace qb::platform
