// The search and the start-up reminder check against a baseline loop that lists a folder and opens, reads and
// closes every file with plain POSIX calls, measured in the same run on the same folders.
//
//   search_bench [--million] [work-folder]
//
// Folders of 1,000, 10,000 and 100,000 record files are made once under the work folder (default: a fresh folder
// under $TMPDIR, removed at the end; a folder given on the command line is kept and reused by later runs). With
// --million, a folder of 1,000,000 records too, measured as the one of 100,000 is and held to the same targets, with
// the growth of the time per record from 100,000 to 1,000,000; the work folder is then kept (making it takes
// minutes), by default $TMPDIR/quillbox-search-bench-million. Each
// figure is the median of several rounds in which the baseline and the measured code take turns, all warm. The
// search reads on two cores where it has them, so warm verdicts use both the process's CPU time (user and system, all
// threads), which a busy machine does not stretch, and the wall-clock time, against the baseline and against
// ripgrep with a thread a core (rg -j2) timed in the same rounds.
// Peak memory is the VmHWM of a child process that runs the search and the check once over one folder; the growth
// is the difference between the child for 100,000 records and the child for 1,000.
//
// Run as root, it also measures cold: the page cache is emptied (sync, then 3 into /proc/sys/vm/drop_caches)
// before every timed run of the baseline and of the measured code at 100,000 records, as after a boot, and the
// memory children start cold too. Cold verdicts use wall-clock time, since the time goes into waiting for the
// disk, and compare with the fastest peer on the same folder in the same rounds: ripgrep with 64 threads counting
// a word no record holds (rg -j64 -c). The ratio to the serial baseline is printed beside it, for history; it
// moves with the disk, which the peer's does not. Without root the cold figures are skipped and said to be;
// without rg the cold verdicts fall back to the baseline.
//
// Run as root with sshfs and an sshd at hand, it also measures a network share: the folder of 1,000 records over
// sshfs to an sshd of its own on the loopback interface, through a relay (delay_relay) that holds every chunk 1 ms in
// each direction. The baseline loop, the search and the reminder check then all read the share, each from a cold
// cache, and the verdicts use wall-clock time. Without root or those programs it says that it skipped them.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <atomic>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "app/widgets/limited_text_edit.h"
#include "app/windows/main_window/main_window.h"
#include "app/windows/reminder_window.h"
#include "bench_util.h"
#include "commands.h"
#include "fake_dialogs.h"
#include "fake_exit.h"
#include "loopback_share.h"
#include "platform/clock.h"
#include "platform/drive_map.h"
#include "recording_printer.h"
#include "store/record_file.h"

namespace {

using namespace qb;

constexpr int kSizes[] = {1000, 10000, 100000, 1000000}; // the last only with --million
constexpr int kLarge = 100000;                           // the size every run holds to the targets
constexpr int kRounds = 7;
constexpr int kColdRounds = 3;
const std::string kToday = "12/06/26";

// ---- The record folders

// Record i is made on one of 100 days (January to April, days 1 to 25), so a month and day filter selects 1%.
std::string numberOf(int i) {
    const int day = i % 100, later = i / 100;
    return store::recordNumber({2026, 1 + day / 25, 1 + day % 25, later % 24, (later / 24) % 60, (later / 1440) % 60});
}

// One record in ten is due today; the others have no reminder date or another date.
std::string reminderOf(int i) {
    if (i % 10 == 0)
        return kToday;
    return i % 10 < 5 ? std::string() : "11/" + std::to_string(10 + i % 10) + "/26";
}

// A text of one to eight lines of ordinary words.
std::string textOf(std::mt19937& rng) {
    static const char* const words[] = {"meeting", "call",  "Ann",     "car",    "tickets", "show",   "dentist",
                                        "buy",     "milk",  "garden",  "report", "lunch",   "Friday", "garage",
                                        "invoice", "train", "station", "the",    "for",     "and",    "caf\xE9"};
    std::string text;
    const int lines = 1 + static_cast<int>(rng() % 8);
    for (int line = 0; line < lines; ++line) {
        if (line > 0)
            text += "\r\n";
        const int count = 3 + static_cast<int>(rng() % 8);
        for (int w = 0; w < count; ++w) {
            if (w > 0)
                text += ' ';
            text += words[rng() % std::size(words)];
        }
    }
    return text;
}

void writeBytes(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::close(fd) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
}

// Makes the folder of count records unless an earlier run finished it (the hidden marker is never listed).
void makeFolder(const std::string& folder, int count) {
    const std::string marker = folder + "/.complete";
    if (std::filesystem::exists(marker))
        return;
    std::filesystem::create_directories(folder);
    std::mt19937 rng(static_cast<unsigned>(count));
    for (int i = 0; i < count; ++i)
        writeBytes(folder + "/" + numberOf(i), store::recordFileBytes({reminderOf(i), textOf(rng)}));
    writeBytes(marker, "");
}

// ---- The baseline: list the folder, open, read and close every file

std::size_t baseline(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    std::string path = folder + "/";
    const std::size_t base = path.size();
    static char buffer[65536];
    std::size_t total = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        path.resize(base);
        path += entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        total += n > 0 ? static_cast<std::size_t>(n) : 0;
        ::close(fd);
    }
    ::closedir(dir);
    return total;
}

// The same work with many reads in flight: the folder listed first, then its files read by 32 threads. Cold, it
// shows how much the disk allows, as a reference for the walk's read-ahead.
std::size_t parallelLoop(const std::string& folder) {
    std::vector<std::string> paths;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            paths.push_back(folder + "/" + entry->d_name);
    }
    ::closedir(dir);
    std::atomic<std::size_t> next{0}, total{0};
    std::vector<std::thread> readers;
    readers.reserve(32);
    for (int i = 0; i < 32; ++i) {
        readers.emplace_back([&] {
            static thread_local char buffer[65536];
            for (std::size_t k; (k = next++) < paths.size();) {
                const int fd = ::open(paths[k].c_str(), O_RDONLY | O_CLOEXEC);
                if (fd < 0)
                    continue;
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                total += n > 0 ? static_cast<std::size_t>(n) : 0;
                ::close(fd);
            }
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    return total;
}

// The peer: ripgrep over the folder with so many threads (64 cold, its fastest; 2 warm, one a core), counting a word
// no record holds, so that it reads every file; false when it is not installed or did not run.
bool peerSearch(const std::string& folder, const char* threads) {
    const harness::CommandResult result = harness::run({"rg", threads, "-c", "zqxjnever", folder});
    return result.status == 1; // rg's status when nothing matched
}

// Empties the page cache, as after a boot; false when this process may not.
bool dropCaches() {
    ::sync();
    const int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    const bool dropped = fd >= 0 && ::write(fd, "3", 1) == 1;
    if (fd >= 0)
        ::close(fd);
    return dropped;
}

// ---- The program's own code, through the main window with the tests' stand-ins for dialogs, printer and exit

struct World {
    explicit World(const std::string& home) : drives(home, home) {}
    platform::DriveMap drives;
    platform::SystemClock clock;
    test::FakeDialogs dialogs; // no answer is scripted: a search that asks anything is a fault
    test::RecordingPrinter printer;
    test::FakeExit exit;
    app::Services services{drives, clock, dialogs, printer, exit};
};

QString programPathOf(int count) {
    return QStringLiteral("c:\\bench%1").arg(count);
}

// (a) criteria that match nothing, so every file is read; (b) the same with a filter that lists 1% of the files.
void search(app::MainWindow& form, int count, bool filtered) {
    form.controls().dataDirectory->setEditText(programPathOf(count));
    form.controls().searchString1->setText(QStringLiteral("zqxj"));
    form.controls().searchString2->setText(QStringLiteral("never written"));
    form.controls().reminderDate->setText(QStringLiteral("99/99/99"));
    form.controls().monthFilter->setText(filtered ? QStringLiteral("01") : QString());
    form.controls().dayFilter->setText(filtered ? QStringLiteral("05") : QString());
    form.search();
}

// (c) the reminder check on a fresh main window; a tenth of the records are due today.
bench::Timing timedCheck(World& world, int count) {
    app::MainWindow form(world.services);
    form.controls().dataDirectory->setEditText(programPathOf(count));
    const bench::Timing timing = bench::timed([&] { form.runReminderCheck(kToday); });
    if (form.reminderWindow().controls().reminderList->toPlainText().isEmpty() ||
        form.controls().recordNumber->text().isEmpty()) {
        std::fprintf(stderr, "the reminder check found nothing in %d records\n", count);
        std::exit(2);
    }
    return timing;
}

// Peak memory of a child that runs the search and the check once over one folder, from a cold cache when asked.
long childPeakKiB(int argc, char** argv, const std::string& home, int count, bool cold) {
    int fds[2];
    if (::pipe(fds) != 0 || (cold && !dropCaches()))
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        QApplication application(argc, argv);
        World world(home);
        app::MainWindow form(world.services);
        search(form, count, false);
        form.runReminderCheck(kToday);
        const long kib = bench::peakResidentKiB();
        const bool written = ::write(fds[1], &kib, sizeof kib) == sizeof kib;
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    long kib = -1;
    if (::read(fds[0], &kib, sizeof kib) != sizeof kib)
        kib = -1;
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return kib;
}

// The medians over the rounds: times in ms (wall-clock), and the ratios of each round, by CPU time and by
// wall-clock time; the peer's figures are 0 when rg is not installed.
struct Figures {
    double baseMs = 0, allMs = 0, filteredMs = 0, checkMs = 0, peerMs = 0;
    double allToBase = 0, filteredToAll = 0, checkToAll = 0;             // CPU time
    double allToBaseWall = 0, filteredToAllWall = 0, checkToAllWall = 0; // wall-clock time
    double checkToBaseWall = 0, allToPeerWall = 0, checkToPeerWall = 0;  // wall-clock time, against rg -j2
};

Figures measure(World& world, const std::string& folder, int count, bool withPeer) {
    app::MainWindow form(world.services);
    std::vector<double> base, all, filtered, check, peer, ratios[9];
    for (int round = -1; round < kRounds; ++round) { // round -1 warms the caches and is not counted
        bench::Timing b, a, f, c, r;
        const auto runBaseline = [&] { b = bench::timed([&] { baseline(folder); }); };
        const auto runAll = [&] { a = bench::timed([&] { search(form, count, false); }); };
        const auto runFiltered = [&] { f = bench::timed([&] { search(form, count, true); }); };
        const auto runCheck = [&] { c = timedCheck(world, count); };
        const auto runPeer = [&] {
            if (withPeer)
                r = bench::timed([&] { withPeer = peerSearch(folder, "-j2"); });
        };
        if (round % 2 == 0) { // the order changes from round to round, so neither side always goes first
            runBaseline(), runAll(), runFiltered(), runCheck(), runPeer();
        } else {
            runPeer(), runCheck(), runFiltered(), runAll(), runBaseline();
        }
        if (round < 0)
            continue;
        base.push_back(b.wall * 1e3), all.push_back(a.wall * 1e3), filtered.push_back(f.wall * 1e3);
        check.push_back(c.wall * 1e3), peer.push_back(r.wall * 1e3);
        ratios[0].push_back(a.cpu / b.cpu), ratios[1].push_back(f.cpu / a.cpu), ratios[2].push_back(c.cpu / a.cpu);
        ratios[3].push_back(a.wall / b.wall), ratios[4].push_back(f.wall / a.wall);
        ratios[5].push_back(c.wall / a.wall), ratios[6].push_back(c.wall / b.wall);
        ratios[7].push_back(withPeer ? a.wall / r.wall : 0), ratios[8].push_back(withPeer ? c.wall / r.wall : 0);
    }
    const auto asked = world.dialogs.only({test::Shown::Kind::Question, test::Shown::Kind::Confirm});
    world.dialogs.clearLog();
    if (!asked.empty() || !form.controls().recordNumber->text().isEmpty()) {
        std::fprintf(stderr, "the searches that should match nothing found a record\n");
        std::exit(2);
    }
    using bench::median;
    return {median(base),      median(all),       median(filtered),  median(check),     median(peer),
            median(ratios[0]), median(ratios[1]), median(ratios[2]), median(ratios[3]), median(ratios[4]),
            median(ratios[5]), median(ratios[6]), median(ratios[7]), median(ratios[8])};
}

// The medians of the cold rounds in ms, and the wall-clock ratios to the cold baseline and to the peer (0 when the
// peer was not measured).
struct ColdFigures {
    double baseMs = 0, allMs = 0, checkMs = 0, parallelMs = 0, peerMs = 0;
    double allToBase = 0, checkToBase = 0, parallelToBase = 0, allToPeer = 0, checkToPeer = 0;
};

ColdFigures measureCold(World& world, const std::string& folder, int count, bool withPeer) {
    app::MainWindow form(world.services);
    std::vector<double> base, all, check, parallel, peer, ratios[5];
    for (int round = 0; round < kColdRounds; ++round) {
        double b = 0, a = 0, c = 0, p = 0, r = 0;
        const auto cold = [](double& wall, auto run) {
            if (!dropCaches()) {
                std::fprintf(stderr, "cannot empty the page cache\n");
                std::exit(2);
            }
            wall = run();
        };
        const auto runBaseline = [&] { cold(b, [&] { return bench::timed([&] { baseline(folder); }).wall; }); };
        const auto runAll = [&] { cold(a, [&] { return bench::timed([&] { search(form, count, false); }).wall; }); };
        const auto runCheck = [&] { cold(c, [&] { return timedCheck(world, count).wall; }); };
        const auto runParallel = [&] { cold(p, [&] { return bench::timed([&] { parallelLoop(folder); }).wall; }); };
        const auto runPeer = [&] {
            if (withPeer)
                cold(r, [&] { return bench::timed([&] { withPeer = peerSearch(folder, "-j64"); }).wall; });
        };
        if (round % 2 == 0) {
            runBaseline(), runAll(), runCheck(), runParallel(), runPeer();
        } else {
            runPeer(), runParallel(), runCheck(), runAll(), runBaseline();
        }
        base.push_back(b * 1e3), all.push_back(a * 1e3), check.push_back(c * 1e3), parallel.push_back(p * 1e3);
        peer.push_back(r * 1e3);
        ratios[0].push_back(a / b), ratios[1].push_back(c / b), ratios[2].push_back(p / b);
        ratios[3].push_back(withPeer ? a / r : 0), ratios[4].push_back(withPeer ? c / r : 0);
    }
    using bench::median;
    return {median(base),      median(all),       median(check),     median(parallel),  median(peer),
            median(ratios[0]), median(ratios[1]), median(ratios[2]), median(ratios[3]), median(ratios[4])};
}

// The warm and cold targets at one size, printed; whether all passed.
bool verdictsAt(int count, const Figures& warm, const std::optional<ColdFigures>& cold) {
    std::printf("At %d records (warm: CPU time, the partner included):\n", count);
    bool pass = bench::verdict("(a) search reading every file / baseline", warm.allToBase, 1.20, "x");
    pass &= bench::verdict("(b) search with a 1% name filter / (a)", warm.filteredToAll, 0.10, "x");
    pass &= bench::verdict("(c) reminder check, 10% matching, filling ReminderWindow / (a)", warm.checkToAll, 1.5, "x");
    std::printf("At %d records (warm: wall-clock time):\n", count);
    pass &= bench::verdict("(a) search reading every file / baseline", warm.allToBaseWall, 0.75, "x");
    if (warm.peerMs > 0)
        pass &= bench::verdict("(a) search reading every file / rg -j2", warm.allToPeerWall, 0.90, "x");
    if (cold && cold->peerMs > 0) {
        std::printf("At %d records (cold: wall-clock time, against the fastest peer on the same folder):\n", count);
        pass &= bench::verdict("(a) cold search reading every file / rg -j64", cold->allToPeer, 0.75, "x");
        pass &= bench::verdict("(c) cold reminder check / rg -j64", cold->checkToPeer, 0.80, "x");
    } else if (cold) {
        std::printf("At %d records (cold: wall-clock time):\n", count);
        pass &= bench::verdict("(a) cold search reading every file / cold baseline", cold->allToBase, 0.20, "x");
        pass &= bench::verdict("(c) cold reminder check / cold baseline", cold->checkToBase, 0.25, "x");
    }
    return pass;
}

// How the warm time per record grows from 100,000 records to 1,000,000, for the loop, rg -j2 and the search; the
// search may grow by a tenth, or as much as the loop does.
bool growthVerdict(const Figures& large, const Figures& million) {
    const double scale = static_cast<double>(kLarge) / kSizes[3];
    const double loop = million.baseMs / large.baseMs * scale, search = million.allMs / large.allMs * scale;
    std::printf("\nTime per record at 1,000,000 records / at 100,000 (warm, wall clock): loop %.3f, search %.3f", loop,
                search);
    if (large.peerMs > 0 && million.peerMs > 0)
        std::printf(", rg -j2 %.3f", million.peerMs / large.peerMs * scale);
    std::printf("\n");
    return bench::verdict("(a) search: growth of the time per record", search, std::max(1.10, loop), "x");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const bool million = std::erase(arguments, "--million") > 0;
    const std::size_t sizes = million ? std::size(kSizes) : std::size(kSizes) - 1;
    const bool keep = !arguments.empty() || million;
    const std::string home = !arguments.empty()
                                 ? arguments.front()
                                 : (std::filesystem::temp_directory_path() /
                                    (million ? "quillbox-search-bench-million" : "quillbox-search-bench"))
                                       .string();
    std::printf("Making the record folders in %s ...\n", home.c_str());
    for (std::size_t i = 0; i < sizes; ++i)
        makeFolder(home + "/drive_c/bench" + std::to_string(kSizes[i]), kSizes[i]);

    // Memory first, in children, before this process starts Qt; cold where possible, so the read-ahead runs.
    const bool cold = ::geteuid() == 0 && dropCaches();
    std::vector<std::pair<int, long>> peaks; // records, peak KiB: 1,000, 100,000 and with --million 1,000,000
    for (const int count : {kSizes[0], kLarge, kSizes[3]})
        if (count != kSizes[3] || million)
            peaks.emplace_back(count, childPeakKiB(argc, argv, home, count, cold));

    QApplication application(argc, argv);
    World world(home);
    std::printf("\nMedians of %d rounds; ratios by CPU time (wall-clock time in brackets)\n", kRounds);
    std::printf("%8s %10s %10s %10s %10s %16s %16s %16s\n", "records", "base ms", "(a) ms", "(b) ms", "(c) ms",
                "(a)/base", "(b)/(a)", "(c)/(a)");
    const bool peerInstalled = harness::installed("rg");
    std::vector<Figures> warm;
    for (std::size_t i = 0; i < sizes; ++i) {
        const int count = kSizes[i];
        const Figures& last =
            warm.emplace_back(measure(world, home + "/drive_c/bench" + std::to_string(count), count, peerInstalled));
        std::printf("%8d %10.1f %10.1f %10.1f %10.1f %7.3f (%6.3f) %7.3f (%6.3f) %7.3f (%6.3f)\n", count, last.baseMs,
                    last.allMs, last.filteredMs, last.checkMs, last.allToBase, last.allToBaseWall, last.filteredToAll,
                    last.filteredToAllWall, last.checkToAll, last.checkToAllWall);
    }
    std::printf("\nWarm, the same rounds by wall-clock time, against rg -j2 (ripgrep, a thread a core)%s\n",
                peerInstalled ? "" : ": rg is not installed");
    std::printf("%8s %10s %10s %10s %10s %10s %10s %10s %10s\n", "records", "base ms", "(a) ms", "(c) ms", "rg ms",
                "(a)/base", "(c)/base", "(a)/rg", "(c)/rg");
    for (std::size_t i = 0; i < warm.size(); ++i)
        std::printf("%8d %10.1f %10.1f %10.1f %10.1f %10.3f %10.3f %10.3f %10.3f\n", kSizes[i], warm[i].baseMs,
                    warm[i].allMs, warm[i].checkMs, warm[i].peerMs, warm[i].allToBaseWall, warm[i].checkToBaseWall,
                    warm[i].allToPeerWall, warm[i].checkToPeerWall);
    std::vector<std::optional<ColdFigures>> coldFigures(sizes);
    if (cold) {
        std::printf("\nCold, page cache emptied before each run: medians of %d rounds, wall-clock time\n", kColdRounds);
        std::printf("%8s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n", "records", "base ms", "(a) ms", "(c) ms", "(p) ms",
                    "rg ms", "(a)/base", "(c)/base", "(p)/base", "(a)/rg", "(c)/rg");
        for (std::size_t i = 2; i < sizes; ++i) {
            const ColdFigures& figures = coldFigures[i].emplace(
                measureCold(world, home + "/drive_c/bench" + std::to_string(kSizes[i]), kSizes[i], peerInstalled));
            std::printf("%8d %9.1f %9.1f %9.1f %9.1f %9.1f %9.3f %9.3f %9.3f %9.3f %9.3f\n", kSizes[i], figures.baseMs,
                        figures.allMs, figures.checkMs, figures.parallelMs, figures.peerMs, figures.allToBase,
                        figures.checkToBase, figures.parallelToBase, figures.allToPeer, figures.checkToPeer);
        }
        std::printf("(p) is the baseline's reads made by 32 threads, for reference; rg is ripgrep -j64 -c over the "
                    "same folder%s.\n",
                    peerInstalled ? "" : " (not installed: the verdicts below take the baseline)");
    } else {
        std::printf("\nCold figures skipped: emptying the page cache needs root.\n");
    }

    std::printf("\n");
    bool pass = true;
    for (std::size_t i = 2; i < sizes; ++i)
        pass &= verdictsAt(kSizes[i], warm[i], coldFigures[i]);
    if (million)
        pass &= growthVerdict(warm[2], warm[3]);
    std::optional<ColdFigures> shared;
    const std::string shareHome = home + "/share";
    {
        const std::string folder = shareHome + "/drive_c/bench" + std::to_string(kSizes[0]);
        const bench::LoopbackShare share(home + "/drive_c/bench" + std::to_string(kSizes[0]), folder, home,
                                         QUILLBOX_DELAY_RELAY, std::chrono::milliseconds(1));
        if (share.whyNot().empty()) {
            World sharedWorld(shareHome);
            shared = measureCold(sharedWorld, folder, kSizes[0], false);
            std::printf("\nA network share (sshfs through a relay holding each direction 1 ms), page cache emptied "
                        "before each run: medians of %d rounds, wall-clock time\n",
                        kColdRounds);
            std::printf("%8s %10s %10s %10s %10s %10s %10s %10s\n", "records", "base ms", "(a) ms", "(c) ms", "(p) ms",
                        "(a)/base", "(c)/base", "(p)/base");
            std::printf("%8d %10.1f %10.1f %10.1f %10.1f %10.3f %10.3f %10.3f\n", kSizes[0], shared->baseMs,
                        shared->allMs, shared->checkMs, shared->parallelMs, shared->allToBase, shared->checkToBase,
                        shared->parallelToBase);
            std::printf("(p) is the baseline's reads made by 32 threads, for reference: what the link allows.\n");
        } else {
            std::printf("\nNetwork share figures skipped: %s.\n", share.whyNot().c_str());
        }
    }
    std::filesystem::remove_all(shareHome);
    if (shared) {
        std::printf("At %d records (over the share: wall-clock time):\n", kSizes[0]);
        pass &= bench::verdict("(a) search over the share / baseline over the share", shared->allToBase, 0.20, "x");
        pass &= bench::verdict("(c) reminder check over the share / baseline", shared->checkToBase, 0.25, "x");
    }
    std::printf("Peak memory (VmHWM of a child%s):", cold ? ", cold" : "");
    for (const auto& [count, peak] : peaks)
        std::printf("%s %ld KiB at %d records", count == peaks.front().first ? "" : ",", peak, count);
    std::printf("\n");
    const long small = peaks.front().second;
    for (const auto& [count, peak] : std::span(peaks).subspan(1)) {
        const std::string what = "peak memory growth from 1,000 to " + std::to_string(count) + " records";
        pass &= small > 0 && peak > 0 &&
                bench::verdict(what.c_str(), static_cast<double>(peak - small) / 1024.0, 16, " MiB");
    }
    if (!keep)
        std::filesystem::remove_all(home);
    return pass ? 0 : 1;
}
