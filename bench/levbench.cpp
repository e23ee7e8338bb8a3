// SPDX-License-Identifier: GPL-3.0-or-later
// The performance table of Levrun (make bench). Every time is set against the
// floor of the same run, a bare getdents64/fstatat loop over the same folder:
// the machine is shared, so only ratios measured side by side mean anything.
//
//   levbench make FOLDER COUNT       the test folder of COUNT entries, made once
//   levbench table DATA [REPEATS]    measures and prints the table
//   levbench load FOLDER [TIMES]     LoadMaps against the floor, to look at with perf
//   levbench memory FOLDER [respond] (a child of table) peak memory, responsiveness

#include "Main.h"
#include "platform/FileSystem.h"
#include "platform/ListView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const int Sizes[] = {1000, 10000, 100000, 1000000};
const char *const ModeNames[] = {"icons", "small icons", "list", "report"};

// A moment by the wall clock and by this thread's processor time: on a shared
// machine the second is the steadier measure of the work itself.
struct Stamp
{
    double wall = 0;
    double cpu = 0;

    static Stamp now() { return {seconds(CLOCK_MONOTONIC), seconds(CLOCK_THREAD_CPUTIME_ID)}; }
    static double seconds(clockid_t id)
    {
        timespec t;
        clock_gettime(id, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
    Stamp operator-(const Stamp &other) const { return {wall - other.wall, cpu - other.cpu}; }
    Stamp operator/(const Stamp &other) const { return {wall / other.wall, cpu / other.cpu}; }
};

[[noreturn]] void die(const std::string &what)
{
    std::fprintf(stderr, "levbench: %s\n", what.c_str());
    std::exit(1);
}

std::string folderOf(const std::string &data, int count)
{
    return data + "/maps-" + std::to_string(count);
}

// 90 % maps with extensions in mixed case and sizes up to 300 KB (sparse), 10 %
// other files, a few folders named like maps and a few hidden maps.
void makeFolder(const std::string &path, int count)
{
    static const char *const stems[] = {"E1L", "dm",    "Castle", "KILLZONE", "duke", "Subway",
                                        "zoo", "Base_", "moon",   "Level",    "x",    "HOLLYWOOD"};
    static const char *const maps[] = {".MAP", ".map", ".Map", ".mAP"};
    static const char *const others[] = {".TXT", ".grp", ".mapx", ".bak", ".CON", ".ma"};
    const std::string part = path + ".part";
    std::filesystem::remove_all(part);
    std::filesystem::create_directories(part);
    const int dir = open(part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::mt19937 random{unsigned(count)};
    const auto touch = [&](const std::string &name, off_t size) {
        const int fd = openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || ftruncate(fd, size) != 0)
            die("cannot make " + part + "/" + name);
        close(fd);
    };
    for (int i = 0; i < count; ++i) {
        const std::string stem = stems[random() % std::size(stems)] + std::to_string(i);
        if (i % 10 == 0)
            touch(stem + others[random() % std::size(others)], off_t(random() % 4096));
        else
            touch(stem + maps[random() % std::size(maps)],
                  i % 97 == 0 ? 0 : off_t(random() % (300 * 1024 + 1)));
    }
    for (int i = 0; i < 3; ++i) {
        mkdirat(dir, ("Folder" + std::to_string(i) + ".MAP").c_str(), 0755);
        touch(".hidden" + std::to_string(i) + ".map", 1000);
    }
    close(dir);
    std::filesystem::rename(part, path);
}

// The floor: what listing the maps costs the kernel, with nothing else done.
struct Floor
{
    long maps = 0;
    Stamp time;
};

Floor scanFloor(const std::string &path)
{
    alignas(8) static char buffer[128 * 1024];
    Floor result;
    const Stamp start = Stamp::now();
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        die("cannot open " + path);
    for (;;) {
        const ssize_t length = getdents64(fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + at);
            at += entry->d_reclen;
            if (entry->d_type != DT_REG || entry->d_name[0] == '.')
                continue;
            const size_t size = std::strlen(entry->d_name);
            if (size < 4 || strcasecmp(entry->d_name + size - 4, ".map") != 0)
                continue;
            struct stat status;
            if (fstatat(fd, entry->d_name, &status, 0) == 0 && status.st_size >= 0)
                ++result.maps;
        }
    }
    close(fd);
    result.time = Stamp::now() - start;
    return result;
}

// The scan alone, as LoadMaps drives it (names and lengths, no list), on one of its paths.
Stamp scanOnly(const std::string &path, platform::FolderScan::Path how, long expected)
{
    const QString folder = QFile::decodeName(path.c_str());
    const Stamp start = Stamp::now();
    platform::FolderScan scan(how);
    long maps = 0;
    for (QString name = scan.findFirst(folder + "/*.MAP", 0); !name.isEmpty();
         name = scan.findNext())
        maps += scan.fileLength(folder + '/' + name) >= 0;
    const Stamp time = Stamp::now() - start;
    if (maps != expected)
        die("the scan does not find the floor's maps in " + path);
    return time;
}

// Notes when a widget's paint event has been handled, to its end.
class BenchApp : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        const bool result = QApplication::notify(receiver, event);
        if (m_watched && receiver == m_watched && event->type() == QEvent::Paint &&
            (!m_ready || m_ready())) {
            m_painted = Stamp::now();
            m_watched = nullptr;
            m_loop->quit();
        }
        return result;
    }

    // Handles events until the next paint of widget (for which ready holds) is done.
    Stamp nextPaint(QWidget *widget, std::function<bool()> ready = {})
    {
        QEventLoop loop;
        m_loop = &loop;
        m_watched = widget;
        m_ready = std::move(ready);
        QTimer::singleShot(120000, &loop, [] { die("no paint within two minutes"); });
        loop.exec();
        return m_painted;
    }

private:
    QObject *m_watched = nullptr;
    std::function<bool()> m_ready;
    QEventLoop *m_loop = nullptr;
    Stamp m_painted;
};

// Handles events until nothing is left to do, batched layouts included: that
// many passes in a row, each over in a moment.
void settle()
{
    int quiet = 0;
    QElapsedTimer total;
    total.start();
    while (quiet < 50 || total.elapsed() < 20) {
        QElapsedTimer pass;
        pass.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        quiet = pass.nsecsElapsed() < 100000 ? quiet + 1 : 0;
    }
}

struct Window
{
    frmMain form;
    platform::ListView *list = form.findChild<platform::ListView *>("lvwMaps");
    QLineEdit *folder = form.findChild<QLineEdit *>("txtDukePath");

    Window()
    {
        form.showCentred();
        settle();
    }
    void choose(int mode)
    {
        void (frmMain::*const handlers[])() = {
            &frmMain::mnuViewIcons_Click, &frmMain::mnuViewSmallIcons_Click,
            &frmMain::mnuViewList_Click, &frmMain::mnuViewReport_Click};
        (form.*handlers[mode])();
    }
    QWidget *viewport() const { return list->currentView()->viewport(); }

    // LoadMaps from the call to the end of the list's first paint, on an empty list.
    Stamp loadMaps(BenchApp &app, const std::string &path, int mode, long expected)
    {
        list->items().Clear();
        choose(mode);
        folder->setText(QFile::decodeName(path.c_str()));
        settle();
        const Stamp start = Stamp::now();
        form.LoadMaps();
        const Stamp end =
            app.nextPaint(viewport(), [this] { return list->currentView()->model()->rowCount(); });
        if (list->items().count() != expected)
            die("the list does not hold the floor's maps in " + path);
        return end - start;
    }

    // From a change to the end of the next paint of the list.
    template <typename Change>
    double nextFrame(BenchApp &app, Change change)
    {
        const double start = Stamp::now().wall;
        change();
        const double end = app.nextPaint(viewport()).wall;
        settle();
        return end - start;
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

Stamp median(const std::vector<Stamp> &stamps)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Stamp &stamp : stamps) {
        wall.push_back(stamp.wall);
        cpu.push_back(stamp.cpu);
    }
    return {median(wall), median(cpu)};
}

// Runs a program and returns its standard output; started gets the time just
// before it started and used the processor time it took.
std::string run(const std::vector<std::string> &command, double *started = nullptr,
                double *used = nullptr)
{
    int pipes[2];
    if (pipe2(pipes, O_CLOEXEC) != 0)
        die("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
    std::vector<char *> argv;
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (started)
        *started = Stamp::now().wall;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        die("cannot start " + command[0]);
    posix_spawn_file_actions_destroy(&actions);
    close(pipes[1]);
    std::string output;
    char chunk[4096];
    for (ssize_t n; (n = read(pipes[0], chunk, sizeof chunk)) > 0;)
        output.append(chunk, size_t(n));
    close(pipes[0]);
    int status = 0;
    rusage usage;
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        die(command[0] + " failed");
    if (used)
        *used = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    return output;
}

// LoadMaps in each mode, times as given; the times against the floor on stderr.
int load(int argc, char **argv)
{
    BenchApp app(argc, argv);
    Window window;
    const std::string path = argv[2];
    const int times = argc > 3 ? std::atoi(argv[3]) : 1;
    for (int t = 0; t < times; ++t) {
        const Floor floor = scanFloor(path);
        std::fprintf(stderr, "floor %.3f s (cpu %.3f s)", floor.time.wall, floor.time.cpu);
        for (int mode = 0; mode < 4; ++mode) {
            const Stamp ratio = window.loadMaps(app, path, mode, floor.maps) / floor.time;
            std::fprintf(stderr, ", %s %.2fx (%.2fx)", ModeNames[mode], ratio.wall, ratio.cpu);
        }
        std::fprintf(stderr, "\n");
    }
    _exit(0);
}

// Peak memory of LoadMaps in all four modes. With respond, then after each
// LoadMaps the next frame after a scroll and after a switch to the next mode.
int memory(int argc, char **argv)
{
    BenchApp app(argc, argv);
    Window window;
    const std::string path = argv[2];
    const long expected = scanFloor(path).maps;
    for (int mode = 0; mode < 4; ++mode) {
        window.loadMaps(app, path, mode, expected);
        settle();
    }
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    double scroll = 0;
    double change = 0;
    for (int mode = 0; argc > 3 && mode < 4; ++mode) {
        window.loadMaps(app, path, mode, expected);
        settle();
        QAbstractItemView *view = window.list->currentView();
        QScrollBar *bar = view->verticalScrollBar()->maximum() > 0 ? view->verticalScrollBar()
                                                                   : view->horizontalScrollBar();
        scroll =
            std::max(scroll, window.nextFrame(app, [&] { bar->setValue(bar->maximum() / 2); }));
        change = std::max(change, window.nextFrame(app, [&] { window.choose((mode + 1) % 4); }));
    }
    // Then a short list: what stays resident of the long one.
    long resident = 0;
    if (argc > 3) {
        const std::string small =
            (std::filesystem::path(path).parent_path() / "maps-1000").string();
        window.loadMaps(app, small, 3, scanFloor(small).maps);
        settle();
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0)
                resident = std::stol(line.substr(6));
    }
    std::printf("%ld %.6f %.6f %ld\n", usage.ru_maxrss, scroll, change, resident);
    std::fflush(stdout);
    _exit(0); // the user's settings are no business of the benchmark
}

// Process start to the end of the first frame, wall clock and processor time,
// medians for each program, the programs started in turn.
std::vector<Stamp> startUp(const std::vector<std::string> &programs, int repeats)
{
    std::vector<std::vector<Stamp>> times(programs.size());
    for (int r = 0; r < repeats; ++r) {
        for (size_t p = 0; p < programs.size(); ++p) {
            double started = 0;
            double used = 0;
            const std::string painted = run({programs[p]}, &started, &used);
            times[p].push_back({std::strtod(painted.c_str(), nullptr) - started, used});
        }
    }
    std::vector<Stamp> medians;
    for (const std::vector<Stamp> &t : times)
        medians.push_back(median(t));
    return medians;
}

std::string grouped(long n)
{
    const std::string digits = std::to_string(n);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

std::string milliseconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, seconds < 0.1 ? "%.1f ms" : "%.0f ms", seconds * 1e3);
    return text;
}

const char *verdict(bool met)
{
    return met ? "met" : "NOT MET";
}

int table(int argc, char **argv)
{
    const std::string data = argv[2];
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string empty = data + "/empty";
    std::filesystem::create_directories(empty);
    // The programs started here find the empty folder in their settings.
    {
        const std::string settings = std::string(getenv("XDG_CONFIG_HOME")) + "/Levrun";
        std::filesystem::create_directories(settings);
        QFile ini(QFile::decodeName((settings + "/Levrun.ini").c_str()));
        ini.open(QIODevice::WriteOnly);
        ini.write(("[Config]\nDukePath=" + empty + "\n").c_str());
    }
    const std::string self = std::filesystem::canonical("/proc/self/exe");
    const std::string bin = std::filesystem::path(self).parent_path();

    // 3: start-up, the real program against the minimal one and two yardsticks
    // that show what text and the sound library cost by themselves.
    const std::vector<Stamp> starts =
        startUp({bin + "/levbench-start-minimal", bin + "/levbench-start-levrun",
                 bin + "/levbench-start-text", bin + "/levbench-start-multimedia",
                 bin + "/levbench-start-both"},
                std::max(repeats, 5) * 3);
    // 4: peak memory and responsiveness, each in a process of its own, started
    // while this one is small: a child's peak counts the parent's at its start.
    const std::string memory100k = run({self, "memory", folderOf(data, 100000)});
    const std::string memory1m = run({self, "memory", folderOf(data, 1000000), "respond"});
    long rss100k = 0, rss1m = 0;
    double scroll = 0, change = 0, ignored = 0;
    std::sscanf(memory100k.c_str(), "%ld %lf %lf", &rss100k, &ignored, &ignored);
    long afterShort = 0;
    std::sscanf(memory1m.c_str(), "%ld %lf %lf %ld", &rss1m, &scroll, &change, &afterShort);

    // 1 and 2: the floor and LoadMaps in each mode, interleaved.
    std::vector<Stamp> floors[4];
    std::vector<Stamp> loads[4][4];
    std::vector<Stamp> scans[4][2]; // the fast and the portable path, as multiples of the floor
    {
        BenchApp app(argc, argv);
        Window window;
        for (int r = 0; r < repeats; ++r) {
            for (int s = 0; s < 4; ++s) {
                const std::string path = folderOf(data, Sizes[s]);
                const Floor floor = scanFloor(path);
                floors[s].push_back(floor.time);
                for (const auto how : {platform::FolderScan::Fast, platform::FolderScan::Portable})
                    scans[s][how].push_back(scanOnly(path, how, floor.maps) / floor.time);
                for (int mode = 0; mode < 4; ++mode)
                    loads[s][mode].push_back(window.loadMaps(app, path, mode, floor.maps) /
                                             floor.time);
                std::fprintf(stderr, ".");
            }
        }
        window.list->items().Clear();
        settle();
    }
    std::fprintf(stderr, "\n");

    std::printf("Levrun benchmark: medians of %d interleaved runs, warm caches. LoadMaps is timed "
                "from the call to the end\nof the list's first paint, items sorted, as a multiple "
                "of the floor (getdents64 and fstatat) of the same run:\nby the wall clock, and "
                "in brackets by processor time, the steadier measure on a shared machine.\n\n",
                repeats);
    std::printf("%10s %14s", "maps", "floor (cpu)");
    for (const char *mode : ModeNames)
        std::printf(" %13s", mode);
    std::printf("   goal\n");
    Stamp worst[4];
    for (int s = 0; s < 4; ++s) {
        const Stamp floor = median(floors[s]);
        std::printf("%10s %6.0f (%5.0f)", grouped(Sizes[s]).c_str(), floor.wall * 1e3,
                    floor.cpu * 1e3);
        for (int mode = 0; mode < 4; ++mode) {
            const Stamp ratio = median(loads[s][mode]);
            worst[s] = {std::max(worst[s].wall, ratio.wall), std::max(worst[s].cpu, ratio.cpu)};
            std::printf("  %4.2f (%4.2f)", ratio.wall, ratio.cpu);
        }
        std::printf("  %s\n", s == 2 ? "1.30" : s == 3 ? "1.50" : "");
    }
    std::printf("%10s %14s\n\n", "", "ms");
    std::printf("The scan alone (names and lengths, no list), fast path (getdents64, fstatat) and\n"
                "portable path (std::filesystem), as multiples of the floor:\n");
    for (int s = 0; s < 4; ++s)
        std::printf("%10s  fast %4.2f (%4.2f)  portable %4.2f (%4.2f)\n", grouped(Sizes[s]).c_str(),
                    median(scans[s][0]).wall, median(scans[s][0]).cpu, median(scans[s][1]).wall,
                    median(scans[s][1]).cpu);
    std::printf("\n");
    std::printf("LoadMaps, worst mode: %.2fx (%.2fx) at 100,000, %.2fx (%.2fx) at 1,000,000; goal "
                "1.30x, 1.50x: %s\n",
                worst[2].wall, worst[2].cpu, worst[3].wall, worst[3].cpu,
                verdict(worst[2].wall <= 1.3 && worst[3].wall <= 1.5));
    const double growth = worst[3].cpu / worst[2].cpu;
    std::printf("Growth: the multiple of the floor (cpu) at 1,000,000 is %.2f times that at "
                "100,000; linear is 1: %s\n",
                growth, verdict(growth <= 1.2));
    std::printf("Peak memory: %.1f MB at 100,000, %.1f MB at 1,000,000; goal 48 MB, 200 MB: %s\n",
                double(rss100k) / 1024, double(rss1m) / 1024,
                verdict(rss100k <= 48 * 1024 && rss1m <= 200 * 1024));
    std::printf("  after the million, a list of 1,000 maps leaves %.1f MB resident\n",
                double(afterShort) / 1024);
    const Stamp startRatio = starts[1] / starts[0];
    std::printf("Start-up to the first paint: Levrun %.1f ms (cpu %.1f), minimal Qt Widgets "
                "program %.1f ms (cpu %.1f): %.2fx (%.2fx); goal 1.25x: %s\n",
                starts[1].wall * 1e3, starts[1].cpu * 1e3, starts[0].wall * 1e3,
                starts[0].cpu * 1e3, startRatio.wall, startRatio.cpu,
                verdict(startRatio.wall <= 1.25));
    const auto against = [&](size_t p) { return starts[p] / starts[0]; };
    std::printf("  what limits it, against the minimal program: one line of text %.2fx (%.2fx), "
                "linking QtMultimedia %.2fx (%.2fx),\n  both %.2fx (%.2fx); Levrun against the "
                "program with both: %.2fx (%.2fx)\n",
                against(2).wall, against(2).cpu, against(3).wall, against(3).cpu, against(4).wall,
                against(4).cpu, (starts[1] / starts[4]).wall, (starts[1] / starts[4]).cpu);
    std::printf("At 1,000,000 maps, right after LoadMaps, worst of the four modes: next frame %s "
                "after a scroll,\n  %s after a switch to the next mode; goal 50 ms: %s\n",
                milliseconds(scroll).c_str(), milliseconds(change).c_str(),
                verdict(scroll <= 0.05 && change <= 0.05));
    std::fflush(stdout);
    _exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 4) {
        makeFolder(argv[2], std::atoi(argv[3]));
        return 0;
    }
    if (command == "table" && argc >= 3)
        return table(argc, argv);
    if (command == "load" && argc >= 3)
        return load(argc, argv);
    if (command == "memory" && argc >= 3)
        return memory(argc, argv);
    std::fprintf(stderr, "usage: levbench make FOLDER COUNT | table DATA [REPEATS]\n"
                         "       | load FOLDER [TIMES] | memory FOLDER [respond]\n");
    return 2;
}
