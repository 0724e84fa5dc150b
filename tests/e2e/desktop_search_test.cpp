// The desktops' search as GNOME Shell and KRunner ask it, on a session bus of the test's own that starts the service
// from its packaged D-Bus service file: the notes the program's search finds, with their names and descriptions, a
// newer question ending the walk of the one before, a folder that never answers answered within the bound, the
// start-up password, and Quillbox opened on a result, its record and number on screen.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <algorithm>
#include <array>

#include "live_session.h"
#include "slow_mount.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const QString kName = QStringLiteral("io.github.quillbox.Quillbox.SearchProvider");
const QString kPath = QStringLiteral("/io/github/quillbox/Quillbox/SearchProvider");
constexpr auto kBound = 500ms; // the service's bound on the wait for a folder

using Shown = std::array<std::string, 3>; // a note as a desktop shows it: id, name, description

enum class Desktop { Gnome, KRunner };

// Two records hold "kitchen tap", a third "kitchen"; a fourth holds neither, and a file of one field is no record.
class EndToEndDesktopSearch : public testing::TestWithParam<Desktop> {
protected:
    void SetUp() override {
        test::writeFile(home_ / "drive_c/quill/11281415.602",
                        "\"12/06/26\"\r\n\"Call the plumber about the kitchen tap.\r\nHis number is in the blue "
                        "address book.\"\r\n");
        test::writeFile(home_ / "drive_c/quill/12010930.611", "\"\"\r\n\"KITCHEN TAP washer, size 3/4\"\r\n");
        test::writeFile(home_ / "drive_c/quill/12041200.600", "\"\"\r\n\"Kitchen scale\"\r\n");
        test::writeFile(home_ / "drive_c/quill/12031702.648", "\"\"\r\n\"Pay the rent\"\r\n");
        test::writeFile(home_ / "drive_c/quill/kitchen.txt", "\"kitchen tap, one field only\"\r\n");
    }
    void start() {
        session_.emplace(StartOptions{.home = home_.path(), .workdir = work_.path(), .searchService = true});
        ASSERT_TRUE(session_->started());
    }
    QDBusConnection bus() {
        static int argc = 1;
        static char program[] = "desktop_search", *argv[] = {program, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv); // QtDBus needs one; it lives as long as the test binary
        return QDBusConnection::connectToBus(QString::fromStdString(session_->sessionBusAddress()),
                                             QString::fromStdString(session_->sessionBusAddress()));
    }
    QDBusMessage method(const char* gnome, const char* krunner) {
        return GetParam() == Desktop::Gnome
                   ? QDBusMessage::createMethodCall(kName, kPath, "org.gnome.Shell.SearchProvider2", gnome)
                   : QDBusMessage::createMethodCall(kName, kPath, "org.kde.krunner1", krunner);
    }
    // The question the desktop asks for what the user typed.
    QDBusMessage question(const QString& typed) {
        return method("GetInitialResultSet", "Match")
               << (GetParam() == Desktop::Gnome ? QVariant(typed.split(' ')) : QVariant(typed));
    }
    // The question as the user types on: GNOME Shell asks for a subsearch of the results before.
    QDBusMessage subsearch(const QString& typed) {
        return GetParam() == Desktop::KRunner
                   ? question(typed)
                   : method("GetSubsearchResultSet", "") << QStringList{} << typed.split(' ');
    }
    // What the desktop shows of an answer: GNOME Shell asks for the names of the ids it got, KRunner has them.
    std::vector<Shown> shown(const QDBusMessage& answer) {
        EXPECT_EQ(answer.type(), QDBusMessage::ReplyMessage) << answer.errorMessage().toStdString();
        const bool gnome = GetParam() == Desktop::Gnome;
        const QDBusArgument list =
            (gnome ? bus().call(method("GetResultMetas", "") << answer.arguments().value(0).toStringList()) : answer)
                .arguments()
                .value(0)
                .value<QDBusArgument>();
        std::vector<Shown> notes;
        for (list.beginArray(); !list.atEnd();) {
            QVariantMap meta; // GNOME Shell's names, KRunner's read into them
            if (gnome) {
                list >> meta;
            } else {
                QString id, name, icon;
                int type = 0;
                double relevance = 0;
                list.beginStructure();
                list >> id >> name >> icon >> type >> relevance >> meta;
                list.endStructure();
                meta.insert({{"id", id}, {"name", name}, {"gicon", icon}, {"description", meta.value("subtext")}});
            }
            EXPECT_EQ(meta.value("gicon").toString(), "quillbox");
            notes.push_back({meta.value("id").toString().toStdString(), meta.value("name").toString().toStdString(),
                             meta.value("description").toString().toStdString()});
        }
        return notes;
    }
    std::vector<Shown> ask(const QString& typed) {
        std::vector<Shown> notes = shown(bus().call(question(typed), QDBus::Block, 20000));
        std::sort(notes.begin(), notes.end()); // in the folder's order, which the file system chooses
        return notes;
    }
    void open(const std::string& id) {
        QDBusMessage activate = method("ActivateResult", "Run") << QString::fromStdString(id);
        activate = GetParam() == Desktop::Gnome ? activate << QStringList{} << 0U : activate << QString();
        const QDBusMessage done = bus().call(activate);
        ASSERT_EQ(done.type(), QDBusMessage::ReplyMessage) << done.errorMessage().toStdString();
    }

    test::TempDir home_, work_;
    std::optional<LiveSession> session_;
};

const Shown kPlumber{"11281415.602", "Call the plumber about the kitchen tap.", "Reminder 12/06/26"};
const Shown kWasher{"12010930.611", "KITCHEN TAP washer, size 3/4", "Written 12/01 09:30:11, a year ending in 6"};
const Shown kScale{"12041200.600", "Kitchen scale", "Written 12/04 12:00:00, a year ending in 6"};

TEST_P(EndToEndDesktopSearch, StartedByTheBusItFindsWhatTheProgramsSearchFinds) {
    start();
    // Every answer comes from the service the bus started: the session starts no program.
    EXPECT_EQ(ask("kitchen"), (std::vector<Shown>{kPlumber, kWasher, kScale}));
    EXPECT_EQ(ask("kitchen tap"), (std::vector<Shown>{kPlumber, kWasher}));
    EXPECT_EQ(ask("TAP  washer"), std::vector<Shown>{}); // a phrase: the spaces between the words count
    EXPECT_EQ(ask("one field"), std::vector<Shown>{});   // as the program's search, a file of one field is no record
}

TEST_P(EndToEndDesktopSearch, ANewQuestionEndsTheWalkOfTheOneBefore) {
    test::writeFile(work_ / "source/12061403.659", "\"\"\r\n\"kitchen tap\"\r\n");
    test::SlowMount slow(work_ / "source", test::slowDefaultFolder(home_.path()), 3'600'000);
    if (!slow.mounted())
        GTEST_SKIP() << "no folder could be mounted through FUSE here (needs /dev/fuse, root and libfuse3-dev)";
    start();
    ASSERT_EQ(ask("kitchen"), std::vector<Shown>{}); // the service is up, its walk held by the folder for good
    const auto asked = Clock::now();
    QDBusPendingCall first = bus().asyncCall(question("kitchen"));
    QDBusPendingCall next = bus().asyncCall(subsearch("kitchen tap"));
    first.waitForFinished();
    EXPECT_LT(Clock::now() - asked, kBound) << "the first question waited for its bound, not for the next one";
    next.waitForFinished();
    EXPECT_LT(Clock::now() - asked, kBound + 2s) << "a folder that never answers held up the answer";
    EXPECT_EQ(shown(next.reply()), std::vector<Shown>{});
}

TEST_P(EndToEndDesktopSearch, AResultOpensQuillboxOnItsRecordAfterTheStartUp) {
    start();
    ASSERT_EQ(ask("plumber"), std::vector<Shown>{kPlumber});
    open(kPlumber[0]);
    ASSERT_TRUE(session_->waitUntil(
        "the record and its number in the main window",
        [](const Snapshot& seen) {
            return seen.text("MainWindow", "recordNumber") == kPlumber[0] &&
                   seen.text("MainWindow", "recordText").value_or("").starts_with(kPlumber[1] + "\nHis number");
        },
        kStartUp));
    ASSERT_TRUE(session_->click("MainWindow", "E&xit"));
    if (GetParam() == Desktop::KRunner)
        return; // KRunner has no search of an application's own
    const QDBusMessage launched = bus().call(method("LaunchSearch", "") << QStringList{"kitchen", "tap"} << 0U);
    ASSERT_EQ(launched.type(), QDBusMessage::ReplyMessage) << launched.errorMessage().toStdString();
    ASSERT_TRUE(session_->waitUntil( // in the snapshots of the Quillbox just started
        "the words in the first search box",
        [](const Snapshot& seen) { return seen.text("MainWindow", "searchString1") == "kitchen tap"; }, kStartUp));
    ASSERT_TRUE(session_->click("MainWindow", "E&xit"));
}

TEST_P(EndToEndDesktopSearch, WhileAStartUpPasswordIsSetItFindsNothingAndSaysSo) {
    test::writeFile(home_ / "drive_c/@.dat", "word\r\n");
    start();
    EXPECT_EQ(ask("kitchen"),
              (std::vector<Shown>{{"locked", "Quillbox is locked by its start-up password", "Open Quillbox"}}));
    open("locked");
    ASSERT_TRUE(session_->waitForWindow("(Quillbox)  Attention - password required", {}, kStartUp));
    ASSERT_TRUE(session_->key("(Quillbox)  Attention - password required", "Escape")); // no password: Quillbox ends
}

INSTANTIATE_TEST_SUITE_P(Desktops, EndToEndDesktopSearch, testing::Values(Desktop::Gnome, Desktop::KRunner),
                         [](const testing::TestParamInfo<Desktop>& info) {
                             return info.param == Desktop::Gnome ? "GnomeShell" : "KRunner";
                         });

} // namespace
} // namespace qb::e2e
