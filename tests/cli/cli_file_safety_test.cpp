// quillon-cli txt, dxf, centroide and txt-a-dxf where a user could lose a
// file: the same file named twice, folders, over-long lines, rejected lines.
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using quillon_test::ReadWhole;
using quillon_test::RunCommand;
using quillon_test::TempDir;
using quillon_test::WriteWhole;

const std::string kCli = QUILLON_CLI_PATH;
const std::string kSides =
    " --datum-a ED50 --tipo-a utm --huso-a 30 --datum-b ETRS89 --tipo-b utm --huso-b 30";
const std::string kPoints = "t\r\n1\t298569.727\t4295339.009\t520.6\t30\r\n"
                            "2\t281035.667\t3998752.728\t30.7\t30\r\n";
const std::string kOld = "resultado anterior\r\n";

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

TEST(CliFileSafety, TheSameFileTwiceIsRefusedAndNamed) {
    TempDir dir;
    const std::string a = dir.File("a.txt");
    WriteWhole(a, kPoints);
    auto r = RunCommand(kCli + " txt " + Quoted(a) + " " + Quoted(a) + kSides);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("El archivo de salida coincide con el de entrada"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadWhole(a), kPoints);

    r = RunCommand(kCli + " txt " + Quoted(a) + " " + Quoted(dir.File("b.txt")) + " --log " +
                   Quoted(a) + kSides);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("El registro coincide con el archivo de entrada"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadWhole(a), kPoints);
    EXPECT_FALSE(fs::exists(dir.File("b.txt")));

    // The drawing writer used to read its own output for ever, filling the
    // disk: a size limit and a timeout keep this test from doing the same.
    r = RunCommand("timeout 60 prlimit --fsize=10000000 " + kCli + " txt-a-dxf " + Quoted(a) + " " +
                   Quoted(a) + " --tipo utm");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("El archivo de salida coincide con el de entrada"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadWhole(a), kPoints);
}

TEST(CliFileSafety, AFolderAsInputIsAFailure) {
    TempDir dir;
    fs::create_directories(dir.File("folder"));
    WriteWhole(dir.File("d.txt"), kOld);
    auto r = RunCommand(kCli + " txt " + Quoted(dir.File("folder")) + " " +
                        Quoted(dir.File("d.txt")) + kSides);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadWhole(dir.File("d.txt")), kOld);
    EXPECT_NE(r.err.find("No se puede leer el archivo de entrada"), std::string::npos) << r.err;
    r = RunCommand(kCli + " centroide " + Quoted(dir.File("folder")) +
                   " --datum-a ED50 --tipo-a utm --huso-a 30");
    EXPECT_EQ(r.status, 1);
    // A file with its title and no point has no centroid either.
    WriteWhole(dir.File("empty.txt"), "t\r\n");
    r = RunCommand(kCli + " centroide " + Quoted(dir.File("empty.txt")) +
                   " --datum-a ED50 --tipo-a utm --huso-a 30");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no tiene puntos"), std::string::npos) << r.err;
}

TEST(CliFileSafety, TheLogIsNamedOnlyWhenWritten) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), kPoints);
    WriteWhole(dir.File("out.txt"), kOld);
    // A log in a folder that does not exist: the run fails, the output stays.
    auto r =
        RunCommand(kCli + " txt " + Quoted(dir.File("in.txt")) + " " + Quoted(dir.File("out.txt")) +
                   " --log " + Quoted(dir.File("no/log")) + kSides);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find("vea el registro"), std::string::npos) << r.err;
    EXPECT_EQ(ReadWhole(dir.File("out.txt")), kOld);
    // A failure the log explains: the log is named and says why.
    r = RunCommand(kCli + " txt " + Quoted(dir.File("in.txt")) + " " + Quoted(dir.File("out.txt")) +
                   kSides + " --parametros distancia --seleccion 10 --origen 0,0");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("vea el registro " + dir.File("out.txt.log")), std::string::npos) << r.err;
    EXPECT_EQ(ReadWhole(dir.File("out.txt")), kOld);
    EXPECT_NE(ReadWhole(dir.File("out.txt.log")).find("Imposible calcular: solo 0 v"),
              std::string::npos);
}

// A run that cannot read its input or write its output says what the system
// says of the file. Root reads any file: the protected input is then read as
// user nobody, where setpriv can run the program so.
TEST(CliFileSafety, AFailedRunSaysWhatIsWrongWithTheFiles) {
    struct Case {
        const char* input;
        const char* output;
        bool protect_input;
        const char* says;
    };
    const Case cases[] = {
        {"nada.txt", "out.txt", false,
         "quillon-cli: nada.txt: No existe el archivo o el directorio\n"},
        {"in.txt", "nodir/out.txt", false, "quillon-cli: no existe la carpeta nodir\n"},
        {"cerrado.txt", "out.txt", true, "quillon-cli: cerrado.txt: Permiso denegado\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        TempDir dir;
        WriteWhole(dir.File("in.txt"), kPoints);
        std::string as_user;
        if (c.protect_input) {
            WriteWhole(dir.File(c.input), kPoints);
            fs::permissions(dir.File(c.input), fs::perms::none);
            if (::geteuid() == 0) {
                as_user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
                fs::permissions(dir.path(), fs::perms::all);
                if (RunCommand(as_user + kCli + " --version").status != 0) {
                    GTEST_SKIP() << "no other user to run as"; // the last case
                }
            }
        }
        const auto r = RunCommand("cd " + Quoted(dir.path().string()) + " && " + as_user + kCli +
                                  " txt " + c.input + " " + c.output + kSides);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

TEST(CliFileSafety, RejectedLinesAreCountedAndTheExitStatusIsOne) {
    TempDir dir;
    WriteWhole(dir.File("in.txt"), kPoints + "3\t235171,041\t4142124.422\t42\t30\r\n"
                                             "4\tnan\t4142124.422\t42\t30\r\n");
    const auto r = RunCommand(kCli + " txt " + Quoted(dir.File("in.txt")) + " " +
                              Quoted(dir.File("out.txt")) + kSides);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("2 líneas rechazadas"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Resultado: "), std::string::npos);
    EXPECT_EQ(ReadWhole(dir.File("out.txt")), "t\r\n1\t298459.538\t4295133.070\t520.600\t30.\r\n"
                                              "2\t280923.327\t3998547.762\t30.700\t30.\r\n");
}

// Files whose lines are no point lines: names where the point numbers go, or
// the comma-separated sample the program ships. Every line is rejected, the
// log says why, and the program says that no point was transformed.
TEST(CliFileSafety, AFileWithoutPointLinesSaysNoPointWasTransformed) {
    struct Case {
        std::string input;
        std::string lines; // rejected
        std::string first; // the log line of the first one, Windows-1252
    };
    const std::vector<Case> cases = {
        {"Vertices\r\nGiralda\t235171.041\t4142124.422\t42\r\n\r\n"
         "Mezquita\t343622.117\t4194099.358\t120\r\n",
         "2", "L\xednea 2 rechazada: el n\xfamero de punto no es un entero (\"Giralda\")\r\n"},
        {ReadWhole(std::string(QUILLON_SOURCE_DIR) + "/data/muestra_lista_ed50_utm.txt"), "20",
         "L\xednea 2 rechazada: los campos no est\xe1n separados por tabuladores "
         "(\"Giralda (Sevilla),235171.041,4142124.422...\")\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        TempDir dir;
        WriteWhole(dir.File("in.txt"), c.input);
        const auto r = RunCommand(kCli + " txt " + Quoted(dir.File("in.txt")) + " " +
                                  Quoted(dir.File("out.txt")) + kSides);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("quillon-cli: ningún punto transformado: " + c.lines +
                             " líneas rechazadas; vea el registro " + dir.File("out.txt.log") +
                             "\n"),
                  std::string::npos)
            << r.err;
        const std::string log = ReadWhole(dir.File("out.txt.log"));
        EXPECT_NE(log.find(c.first), std::string::npos) << log;
        EXPECT_NE(log.find("N\xfamero de puntos.....: 0\r\nL\xedneas rechazadas.....: " + c.lines +
                           "\r\n"),
                  std::string::npos)
            << log;
    }
}

// Ctrl-C or a TERM signal during a run: the run stops between lines, the old
// files stay and no temporary file is left behind. The input is a FIFO that
// this test keeps open, so the run is still waiting for lines when the signal
// comes, however fast the machine: the signal is sent once the run has made
// its temporary output. It comes while lines are being read and worked, or
// once the program waits in a read of the empty FIFO, before its title line
// or after some points (a read the signal ends): each is the user's stop.
enum class StopMoment { kWhileLinesCome, kWaitingForTheTitle, kWaitingAfterPoints };

void StopMidRun(StopMoment moment) {
    SCOPED_TRACE(static_cast<int>(moment));
    TempDir dir;
    TempDir side; // the program's standard error, outside the folder counted below
    const std::string fifo = dir.File("in.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WriteWhole(dir.File("out.txt"), kOld);
    WriteWhole(dir.File("out.txt.log"), kOld);
    const std::string command = "exec " + kCli + " txt " + Quoted(fifo) + " " +
                                Quoted(dir.File("out.txt")) + kSides + " >/dev/null 2>" +
                                Quoted(side.File("err"));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto running = [pid] { return ::waitpid(pid, nullptr, WNOHANG) == 0; };
    const auto pause = [] { ::usleep(1000); };

    // The writing end opens once the program has opened the reading end.
    int fd = -1;
    while ((fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0) {
        ASSERT_EQ(errno, ENXIO);
        ASSERT_TRUE(running()) << ReadWhole(side.File("err"));
        pause();
    }
    const auto has_temporary = [&dir] {
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path().extension() == ".tmp") {
                return true;
            }
        }
        return false;
    };
    const std::string line = "1\t300000.000\t4100000.000\t0.000\r\n";
    std::string pending = "t\r\n" + line;
    const auto feed = [&] {
        if (pending.empty()) {
            pending = line;
        }
        const ssize_t n = ::write(fd, pending.data(), pending.size());
        if (n > 0) {
            pending.erase(0, static_cast<std::size_t>(n));
        }
    };
    // The run makes its temporary output before it reads its title.
    while (!has_temporary()) {
        ASSERT_TRUE(running()) << ReadWhole(side.File("err"));
        if (moment == StopMoment::kWhileLinesCome) {
            feed();
        }
        pause();
    }
    if (moment == StopMoment::kWaitingAfterPoints) {
        for (int i = 0; i < 3 || !pending.empty(); ++i) {
            feed();
        }
    }
    if (moment != StopMoment::kWhileLinesCome) {
        // Everything written has been read and the main thread sits in read().
        const std::string reading = std::to_string(SYS_read) + " ";
        int unread = 0;
        while (::ioctl(fd, FIONREAD, &unread) != 0 || unread != 0 ||
               !ReadWhole("/proc/" + std::to_string(pid) + "/syscall").starts_with(reading)) {
            ASSERT_TRUE(running()) << ReadWhole(side.File("err"));
            pause();
        }
    }
    if (moment == StopMoment::kWhileLinesCome) {
        ASSERT_EQ(::kill(pid, SIGTERM), 0);
    } else {
        // To the main thread itself, whose read the signal then ends (sent to
        // the process, it may land on a worker thread and leave the read be).
        ASSERT_EQ(::syscall(SYS_tgkill, pid, pid, SIGTERM), 0);
    }
    // The program may have closed the FIFO by now: no SIGPIPE for this test.
    const auto old_handler = std::signal(SIGPIPE, SIG_IGN);
    for (int i = 0; i < 100; ++i) {
        feed();
    }
    ::close(fd);
    std::signal(SIGPIPE, old_handler);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);

    const std::string err = ReadWhole(side.File("err"));
    ASSERT_TRUE(WIFEXITED(status)) << err;
    EXPECT_EQ(WEXITSTATUS(status), 1) << err;
    EXPECT_NE(err.find("Operación cancelada por el usuario"), std::string::npos) << err;
    EXPECT_EQ(ReadWhole(dir.File("out.txt")), kOld);
    EXPECT_EQ(ReadWhole(dir.File("out.txt.log")), kOld); // the old log stays too
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 3u); // in.txt, out.txt, out.txt.log
}

TEST(CliFileSafety, AStopSignalLeavesTheOldFilesAndNoTemporary) {
    for (const StopMoment moment : {StopMoment::kWhileLinesCome, StopMoment::kWaitingForTheTitle,
                                    StopMoment::kWaitingAfterPoints}) {
        StopMidRun(moment);
    }
}

#if !defined(QUILLON_SANITIZED)
// Under a 64 MiB address-space limit, an 80 MB line (sparse: no disk is
// used) used to abort the program with the output cut; it is a rejected line.
TEST(CliFileSafety, AnOverlongLineUnderAMemoryLimit) {
    TempDir dir;
    const std::string in = dir.File("big.txt");
    WriteWhole(in, "t\n1\t298569.727\t4295339.009\t");
    fs::resize_file(in, 80000000);
    {
        std::ofstream tail(in, std::ios::binary | std::ios::app);
        tail << "\n2\t281035.667\t3998752.728\t30.7\t30\n";
    }
    WriteWhole(dir.File("out.txt"), kOld);
    const std::string txt_arguments = std::string(" ").append(Quoted(dir.File("out.txt"))) + kSides;
    const std::string centroid_arguments = " --datum-a ED50 --tipo-a utm --huso-a 30";
    for (const std::string command : {"txt", "centroide"}) {
        SCOPED_TRACE(command);
        const bool txt = command == "txt";
        const auto r = RunCommand("prlimit --as=67108864 " + kCli + " " + command + " " +
                                  Quoted(in) + (txt ? txt_arguments : centroid_arguments));
        EXPECT_EQ(r.status, txt ? 1 : 0) << r.err;
        if (txt) {
            EXPECT_NE(r.err.find("1 líneas rechazadas"), std::string::npos) << r.err;
            EXPECT_EQ(ReadWhole(dir.File("out.txt")),
                      "t\r\n2\t280923.327\t3998547.762\t30.700\t30.\r\n");
            EXPECT_NE(ReadWhole(dir.File("out.txt.log"))
                          .find("2 rechazada: l\xednea de m\xe1s de 65536 caracteres\r\n"),
                      std::string::npos);
        } else {
            EXPECT_NE(r.out.find("puntos\t1\n"), std::string::npos) << r.out;
        }
    }
}
#endif

} // namespace
