#include <gtest/gtest.h>

#include "app/command_line.h"
#include "procedures/messages.h"
#include "setup_machine.h"

namespace {

using Texts = std::vector<std::string>;

TEST(CommandLine, SwitchesInAnyCaseWithEitherPrefix) {
    struct Case {
        const char *line;
        int action;
        int hddInterface;
        bool noRestart;
        const char *log;
    };
    const int Bad = CommandBad;
    const Case cases[] = {
        {"\"E:\\Setup disk\\Setup.exe\"", CommandDialog, 0, false, nullptr},
        {"\"E:\\Setup disk\\Setup.exe\"   ", CommandDialog, 0, false, nullptr},
        {"\"E:\\Setup disk\\Setup.exe\" /install IDE", CommandInstall, InterfaceIde, false, nullptr},
        {"E:\\SETUP.EXE -INSTALL scsi", CommandInstall, InterfaceScsi, false, nullptr},
        {"Setup.exe /Install Ide /NoRestart /LOG c:\\setup.log", CommandInstall, InterfaceIde, true, "c:\\setup.log"},
        {"Setup.exe -log \"C:\\My Logs\\setup.log\" -norestart -uninstall", CommandUninstall, 0, true,
         "C:\\My Logs\\setup.log"},
        {"Setup.exe /UNINSTALL", CommandUninstall, 0, false, nullptr},
        {"Setup.exe /?", CommandHelp, 0, false, nullptr},
        {"Setup.exe -?", CommandHelp, 0, false, nullptr},
        // The interface word is required, and only IDE or SCSI.
        {"Setup.exe /install", Bad, 0, false, nullptr},
        {"Setup.exe /install USB", Bad, 0, false, nullptr},
        {"Setup.exe /install /norestart", Bad, 0, false, nullptr},
        // Words that are no switch, switches nobody knows, and a file that is missing.
        {"Setup.exe install IDE", Bad, 0, false, nullptr},
        {"Setup.exe /uninstall IDE", Bad, 0, false, nullptr},
        {"Setup.exe /remove", Bad, 0, false, nullptr},
        {"Setup.exe /uninstall /log", Bad, 0, false, nullptr},
        {"Setup.exe /uninstall /log /norestart", Bad, 0, false, nullptr},
        {"Setup.exe /uninstall /log \"\"", Bad, 0, false, nullptr},
        // Each switch once; one thing to do; /? alone.
        {"Setup.exe /install IDE /install IDE", Bad, 0, false, nullptr},
        {"Setup.exe /install IDE /uninstall", Bad, 0, false, nullptr},
        {"Setup.exe /uninstall /norestart /norestart", Bad, 0, false, nullptr},
        {"Setup.exe /uninstall /log a.log /log b.log", Bad, 0, false, nullptr},
        {"Setup.exe /norestart /log a.log", Bad, 0, false, nullptr},
        {"Setup.exe /? /uninstall", Bad, 0, false, nullptr},
        {"Setup.exe /uninstall /?", Bad, 0, false, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        SetupCommand command;
        ParseCommandLine(c.line, command);
        EXPECT_EQ(command.action, c.action);
        if (c.action == Bad) continue;
        EXPECT_EQ(command.hddInterface, c.hddInterface);
        EXPECT_EQ(command.noRestart, c.noRestart);
        EXPECT_STREQ(command.logFile ? command.logFile : "(none)", c.log ? c.log : "(none)");
    }
    // Arguments longer than the program keeps: wrong, and unattended where an action is named
    // anywhere, even past what was kept.
    std::string many;
    for (int i = 0; i < 16; ++i) many += " /norestart";
    for (auto [line, unattended] : {std::pair<std::string, bool>{"/uninstall /log " + std::string(1100, 'x'), true},
                                    {many + " -UNINSTALL", true},
                                    {many + " \"/ins\"tall", true},
                                    {many + " /installer", false},
                                    {many, false}}) {
        SCOPED_TRACE(line.substr(0, 40));
        SetupCommand command;
        ParseCommandLine(("Setup.exe " + line).c_str(), command);
        EXPECT_EQ(command.action, Bad);
        EXPECT_EQ(command.unattended, unattended);
    }
}

// A medium file gone, as from a damaged disc.
void TakeAway(winsim::Machine &m, const char *path) { std::filesystem::remove(m.HostPath(path)); }

// Runs the program on the medium with `arguments`, as a deployment tool or a login script starts
// it: from a folder of its own, here the root of drive C:.
int RunWith(winsim::Machine &m, const std::string &arguments) {
    m.commandLine = "\"E:\\Setup.exe\" " + arguments;
    m.currentDirectory = "C:\\";
    return RunProgram(m, [](winsim::User &) { ADD_FAILURE() << "the dialog opened"; });
}

TEST(Unattended, EndsWithWindowsInstallerCodesAndNoWindow) {
    struct Case {
        const char *name;
        void (*prepare)(winsim::Machine &);
        const char *arguments;
        int code;
        bool restart;
        bool installed;
        const char *logged = nullptr;  // the end of the log, where the case writes one
    };
    const Case cases[] = {
        {"install", [](winsim::Machine &) {}, "/install IDE", ExitDone, true, true},
        {"install without restart", [](winsim::Machine &) {}, "/install SCSI /norestart", ExitRestartNeeded, false,
         true},
        {"uninstall", [](winsim::Machine &m) { m.Key(HKEY_LOCAL_MACHINE, MarkerKey); }, "-Uninstall", ExitDone, true,
         false},
        {"uninstall without restart", [](winsim::Machine &m) { m.Key(HKEY_LOCAL_MACHINE, MarkerKey); },
         "/uninstall /norestart", ExitRestartNeeded, false, false},
        {"missing medium file", [](winsim::Machine &m) { TakeAway(m, "E:\\Vave_R.exe"); }, "/install IDE",
         ExitStepFailed, false, false},
        {"file left at uninstall",
         [](winsim::Machine &m) {
             m.Key(HKEY_LOCAL_MACHINE, MarkerKey);
             m.WriteFile(m.systemDirectory + "\\IOSUBSYS\\95drv.vxd", "driver");
             m.SetReadOnly(m.systemDirectory + "\\IOSUBSYS\\95drv.vxd");
         },
         "/uninstall /log C:\\setup.log", ExitStepFailed, false, true,
         "Error: Setup cannot remove C:\\WINDOWS\\SYSTEM\\iosubsys\\95drv.vxd\r\nExit code: 1603\r\n\r\n"},
        {"registry refused", [](winsim::Machine &m) { m.Key(HKEY_LOCAL_MACHINE, "").readOnly = true; }, "/install IDE",
         ExitStepFailed, false, false},
        {"server", [](winsim::Machine &m) { m.SetWindows2000(VER_NT_SERVER); }, "/install IDE", ExitRefused, false,
         false},
        {"unknown version", [](winsim::Machine &m) { m.version.basicFails = true; }, "/install SCSI", ExitRefused,
         false, false},
        {"uninstall on a server",
         [](winsim::Machine &m) {
             m.SetWindowsNt4(VER_NT_SERVER);
             m.Key(HKEY_LOCAL_MACHINE, MarkerKey);
         },
         "/uninstall", ExitRefused, false, true},
        {"installed already", [](winsim::Machine &m) { m.Key(HKEY_LOCAL_MACHINE, MarkerKey); }, "/install IDE",
         ExitAlreadyInstalled, false, true},
        {"not installed", [](winsim::Machine &) {}, "/uninstall", ExitNotInstalled, false, false},
        // A share is a place for a log like any; this machine cannot reach it, and the run is the same.
        {"log on a share that cannot be written", [](winsim::Machine &) {},
         "/install IDE /log \\\\server\\logs\\..\\setup.log", ExitDone, true, true},
        {"restart refused",
         [](winsim::Machine &m) {
             m.SetWindowsNt4();
             m.holdsShutdownPrivilege = false;
         },
         "/install IDE /log C:\\setup.log", ExitRestartNeeded, false, true,
         "Restart: refused by the system\r\nExit code: 3010\r\n\r\n"},
        {"driver entry refused",
         [](winsim::Machine &m) {
             m.Key(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD").readOnly = true;
         },
         "/install IDE /log C:\\setup.log", ExitStepFailed, false, false,
         "Error: Setup cannot write the registry\r\nExit code: 1603\r\n\r\n"},
        {"XP x64",
         [](winsim::Machine &m) {
             m.SetWindows2000();
             m.version.minor = 2;
         },
         "/install SCSI", ExitRefused, false, false},
        {"wrong arguments with an action", [](winsim::Machine &) {}, "/install IDE /norestrat /log C:\\setup.log",
         ExitBadArguments, false, false, "Without switches Setup opens its dialog.\r\nExit code: 87\r\n\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        winsim::Machine m;
        InsertMedium(m);
        c.prepare(m);
        bool installedBefore = m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey);
        EXPECT_EQ(RunWith(m, c.arguments), c.code);
        EXPECT_EQ(m.restartRequests, c.restart ? std::vector<UINT>{EWX_REBOOT} : std::vector<UINT>{});
        EXPECT_EQ(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey), c.installed);
        EXPECT_TRUE(m.CallsNamed("DialogBoxParamA").empty());
        EXPECT_EQ(m.DialogWindow(), nullptr);
        EXPECT_TRUE(m.messageBoxes.empty());
        EXPECT_EQ(m.OpenFileHandles(), 0);
        if (c.logged) {
            std::string log = m.ReadFile("C:\\setup.log"), end = c.logged;
            EXPECT_EQ(log.substr(log.size() - std::min(log.size(), end.size())), end);
        }
        if (c.code == ExitAlreadyInstalled || c.code == ExitNotInstalled) {
            EXPECT_EQ(installedBefore, c.installed);
            EXPECT_FALSE(m.DirectoryExists("C:\\ltdrv")) << "nothing done";
        }
    }
}

// The lines of the log from the first step on, without the header.
Texts StepLines(winsim::Machine &m, const char *log) {
    std::istringstream in(m.ReadFile(log));
    Texts lines;
    int header = 4;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (header-- <= 0 && !line.empty()) lines.push_back(line);
    }
    return lines;
}

// The log is written while others may read it; one that another program holds otherwise is
// done without, and the run is the same.
TEST(Unattended, TheLogIsSharedWithReadersOnly) {
    const DWORD readers = FILE_SHARE_READ, all = FILE_SHARE_READ | FILE_SHARE_WRITE;
    for (auto [access, share, logged] : {std::tuple<DWORD, DWORD, bool>{GENERIC_READ, all, true},
                                         {GENERIC_READ, readers, false},
                                         {GENERIC_WRITE, all, false}}) {
        SCOPED_TRACE(std::to_string(access) + " " + std::to_string(share));
        winsim::Machine m;
        InsertMedium(m);
        m.WriteFile("C:\\setup.log", "before\r\n");
        HANDLE other = CreateFileA("C:\\setup.log", access, share, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(RunWith(m, "/install IDE /norestart /log C:\\setup.log"), ExitRestartNeeded);
        CloseHandle(other);
        EXPECT_EQ(m.OpenFileHandles(), 0);
        std::string log = m.ReadFile("C:\\setup.log"), end = "Exit code: 3010\r\n\r\n";
        EXPECT_EQ(log.rfind("before\r\nSetup started ", 0) == 0, logged);
        EXPECT_EQ(log.size() > end.size() && log.compare(log.size() - end.size(), end.size(), end) == 0, logged);
    }
}

// A box only where no unattended run was asked for: somebody is there to read it.
TEST(Unattended, UsageForHelpAndForOptionsAlone) {
    for (auto [arguments, code, icon] : {std::tuple<const char *, int, UINT>{"/?", ExitDone, MB_ICONASTERISK},
                                         {"/norestart /log c:\\setup.log", ExitBadArguments, MB_ICONHAND}}) {
        SCOPED_TRACE(arguments);
        winsim::Machine m;
        InsertMedium(m);
        m.Key(HKEY_LOCAL_MACHINE, MarkerKey);
        EXPECT_EQ(RunWith(m, arguments), code);
        ASSERT_EQ(m.messageBoxes.size(), 1u);
        EXPECT_EQ(m.messageBoxes[0].text, Usage);
        EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | icon));
        EXPECT_TRUE(m.CallsNamed("DialogBoxParamA").empty());
        EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey)) << "nothing changes";
        EXPECT_FALSE(m.FileExists("C:\\setup.log"));
        EXPECT_TRUE(m.restartRequests.empty());
    }
}

// A wrong unattended command, or a log in a device or a file that the run reads or changes, ends
// with 87 and no box, and leaves every file as it was; where the log is one of its own, it holds
// the usage.
TEST(Unattended, AWrongUnattendedCommandWaitsForNobody) {
    const std::string sys = "C:\\WINDOWS\\SYSTEM", programs = "C:\\WINDOWS\\Start Menu\\Programs";
    std::string switches;
    for (int i = 0; i < 15; ++i) switches += " /norestart";
    struct Case {
        std::string arguments;
        std::string file;  // the file the log would have gone to
        std::string log;   // where the usage goes
    };
    const Case cases[] = {
        {"/install", "", ""},
        {"/uninstall /log", "", ""},
        {"/install /log C:\\setup.log", "", "C:\\setup.log"},
        {"/norestrat /uninstall /log C:\\setup.log", "", "C:\\setup.log"},
        {"/uninstall /norestart /norestart /log C:\\setup.log", "", "C:\\setup.log"},
        // Too long to split, but an action is named.
        {"/install IDE /log C:\\setup.log" + switches, "", "C:\\setup.log"},
        {"/install IDE /log C:\\" + std::string(1100, 'x'), "", ""},
        {switches + " /norestart /uninstall", "", ""},
        // Log paths too long to make whole, or to compare with the files of the run.
        {"/install IDE /log C:\\" + std::string(300, 'x'), "", ""},
        {"/install IDE /log C:\\" + std::string(253, 'x'), "", ""},
        // Files of the run, in any spelling.
        {"/install IDE /log c:\\config.sys", "C:\\CONFIG.SYS", ""},
        {"/uninstall /log C:\\LTDRV\\..\\Config.Sys /norestart", "C:\\CONFIG.SYS", ""},
        {"/install IDE /log C:/WINDOWS/system.ini", "C:\\WINDOWS\\SYSTEM.INI", ""},
        {"/install SCSI /log E:\\.\\FCHK1.DAT", "E:\\FCHK1.DAT", ""},
        {"/install SCSI /log e:\\manifest.txt", "E:\\MANIFEST.TXT", ""},
        {"/install IDE /log e:95-98\\ide\\95drv.vxd", "E:\\95-98\\ide\\95drv.vxd", ""},
        {"/install IDE /log " + sys + "\\SCSIDRV.VXD", sys + "\\SCSIDRV.VXD", ""},
        {"/uninstall /log \"" + programs + "\\RizoZezu.lnk\"", programs + "\\RizoZezu.lnk", ""},
        // In 8.3 aliases, of a file there or one the install is to make.
        {"/uninstall /log C:\\WINDOWS\\STARTM~1\\Programs\\RIZOZEZU.LNK", programs + "\\RizoZezu.lnk", ""},
        {"/install IDE /log C:\\WINDOWS\\STARTM~1\\Programs\\RizoZezu.lnk", "", ""},
        {"/install IDE /log c:\\ltdrv\\95drv.exe", "C:\\ltdrv\\95drv.exe", ""},
        {"/install IDE /log e:\\SETUP.EXE", "E:\\Setup.exe", ""},
        {"/uninstall /log D:\\pagefile.sys", "D:\\PAGEFILE.SYS", ""},
        {"/install IDE /log " + sys + "\\IOSUBSYS\\~rcsetup.tmp", sys + "\\IOSUBSYS\\~RCSETUP.TMP", ""},
        // The device namespace, devices, and a stream of another file.
        {"/install IDE /log \\\\.\\C:\\config.sys", "C:\\CONFIG.SYS", ""},
        {"/install IDE /log \\\\.\\PhysicalDrive0", "", ""},
        {"/install IDE /log \\\\?\\C:\\config.sys", "C:\\CONFIG.SYS", ""},
        {"/install IDE /log //./c:/CONFIG.SYS", "C:\\CONFIG.SYS", ""},
        {"/install IDE /log C:\\config.sys:log", "C:\\CONFIG.SYS", ""},
        {"/install IDE /log NUL", "", ""},
        {"/install IDE /log c:\\logs\\con.txt", "", ""},
        {"/install IDE /log \"Aux .log\"", "", ""},
        {"/install IDE /log LPT1", "", ""},
        {"/uninstall /log C:\\com9.log", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.substr(0, 60));
        winsim::Machine m;
        InsertMedium(m);
        m.MapDrive('D', DRIVE_FIXED);
        m.WriteFile("C:\\CONFIG.SYS", "FILES=30\r\n");
        m.WriteFile("C:\\WINDOWS\\SYSTEM.INI", "[boot]\r\n");
        std::string before = c.file.empty() ? "" : "the file's own bytes\r\n";
        if (!c.file.empty()) m.WriteFile(c.file, before);
        EXPECT_EQ(RunWith(m, c.arguments), ExitBadArguments);
        EXPECT_TRUE(m.messageBoxes.empty());
        EXPECT_TRUE(m.CallsNamed("CreateDirectoryA").empty()) << "nothing done";
        if (!c.file.empty()) {
            EXPECT_EQ(m.ReadFile(c.file), before);
        }
        EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), c.file == "C:\\CONFIG.SYS" ? before : "FILES=30\r\n");
        if (!c.log.empty()) {
            EXPECT_NE(m.ReadFile(c.log).find(std::string("\r\nNothing done: the arguments are not understood\r\n") +
                                             Usage + "\r\nExit code: 87\r\n\r\n"),
                      std::string::npos);
        }
    }
}

// A log that names no file of the run is taken however it is spelled: in 8.3 aliases, or with
// characters whose second byte is a backslash's (cp932's "表" is \x95\x5C, cp950's "功" \xA5\x5C).
TEST(Unattended, ALogOfItsOwnIsTakenInAnySpelling) {
    struct Case {
        UINT codePage;
        const char *folder;  // made for the log
        const char *log;     // as the command names it
        const char *file;    // where it is written
    };
    const Case cases[] = {
        {1252, "C:\\Setup Logs", "C:\\SETUPL~1\\setup.log", "C:\\Setup Logs\\setup.log"},
        {932, "",
         "C:\\\x95\x5C"
         "CON.log",
         "C:\\\x95\x5C"
         "CON.log"},
        {950, "C:\\\xA5\x5C\xAF\xE0", "C:\\\xA5\x5C\xAF\xE0\\setup.log", "C:\\\xA5\x5C\xAF\xE0\\setup.log"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.log);
        winsim::Machine m;
        m.codePage = c.codePage;
        InsertMedium(m);
        if (*c.folder) m.MakeDirectory(c.folder);
        EXPECT_EQ(RunWith(m, std::string("/install IDE /norestart /log \"") + c.log + "\""), ExitRestartNeeded);
        EXPECT_NE(m.ReadFile(c.file).find("Exit code: 3010\r\n"), std::string::npos);
    }
}

// On NT a user without administrator rights is told so before anything changes, in the dialog
// and unattended; an administrator is the other tests' machine.
TEST(Unattended, AUserWithoutRightsIsRefusedBeforeAnythingChanges) {
    struct Case {
        const char *name;
        void (*set)(winsim::Machine &);
        bool installed;
        bool givenTheRegistry = false;  // by an administrator, but not the drivers folder
    };
    const Case cases[] = {
        {"NT 4", [](winsim::Machine &m) { m.SetWindowsNt4(); }, false},
        {"2000", [](winsim::Machine &m) { m.SetWindows2000(); }, true},
        {"2000, given the registry", [](winsim::Machine &m) { m.SetWindows2000(); }, false, true},
    };
    const std::string refusal = "Error: " + std::string(AdministratorRightsNeeded);
    for (const Case &c : cases) {
        for (bool unattended : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (unattended ? ", unattended" : ", in the dialog"));
            winsim::Machine m;
            InsertMedium(m);
            c.set(m);
            if (c.installed) {
                m.Key(HKEY_LOCAL_MACHINE, MarkerKey);
                m.Key(HKEY_LOCAL_MACHINE, ZivKey);
                m.WriteFile(m.systemDirectory + "\\drivers\\ZIV.sys", "driver");
                m.WriteFile("C:\\ltdrv\\Vave_R.exe", "tool");
            }
            m.SetUserWithoutRights();
            if (c.givenTheRegistry) m.Key(HKEY_LOCAL_MACHINE, "SYSTEM").readOnly = false;
            if (unattended) {
                std::string log = "/log C:\\setup.log";
                EXPECT_EQ(RunWith(m, (c.installed ? "/uninstall " : "/install IDE ") + log), ExitForbidden);
                std::string text = m.ReadFile("C:\\setup.log"), end = refusal + "\r\nExit code: 1625\r\n\r\n";
                EXPECT_EQ(text.substr(text.size() - std::min(text.size(), end.size())), end);
                EXPECT_TRUE(m.messageBoxes.empty());
            } else {
                m.commandLine = "E:\\Setup.exe";
                RunProgram(m, [&](winsim::User &u) {
                    if (c.installed) {
                        u.Click(IDC_UNINSTALL);
                    } else {
                        u.Click(IDC_INSTALL);
                        u.Click(IDC_IDE);
                        u.Click(IDC_NEXT);
                    }
                    u.Click(IDC_EXIT);
                });
                EXPECT_EQ(BoxTexts(m), Texts{refusal});
                for (const auto &box : m.messageBoxes) EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONHAND));
                EXPECT_EQ(m.changes, 0) << "nothing changed";
            }
            for (const char *call : {"CreateDirectoryA", "RemoveDirectoryA", "DeleteFileA", "RegCreateKeyA"})
                EXPECT_TRUE(m.CallsNamed(call).empty()) << call;
            EXPECT_EQ(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey), c.installed);
            EXPECT_EQ(m.FileExists("C:\\ltdrv\\Vave_R.exe"), c.installed);
            EXPECT_TRUE(m.restartRequests.empty());
        }
    }
}

// Started from another folder, Setup finds its medium at the root of the drive or share it was
// started from, and a log named from that folder stays there.
TEST(Unattended, TheMediumIsWhereSetupIs) {
    struct Case {
        const char *module;
        const char *caller;
        const char *entered;  // the call that makes the medium's root current
        int code;
        UINT codePage = 1252;
    };
    const Case cases[] = {
        {"E:\\Setup.exe", "C:\\WINDOWS", "SetCurrentDirectoryA(E:\\) = 1", ExitRestartNeeded},
        {"E:\\DISK1\\Setup.exe", "C:\\DEPLOY", "SetCurrentDirectoryA(E:\\) = 1", ExitRestartNeeded},
        // This machine has no network: the share's root is asked for, and the medium not found.
        {"\\\\server\\share\\drivers\\Setup.exe", "C:\\WINDOWS",
         "SetCurrentDirectoryA(\\\\server\\share\\) = 0 (error 53)", ExitStepFailed},
        // Shares named with a backslash's byte as a character's second: \xA5\x5C is cp950's
        // "功", \x83\x5C cp932's "ソ".
        {"\\\\srv\\\xA5\x5C\xAF\xE0\\Setup.exe", "C:\\WINDOWS",
         "SetCurrentDirectoryA(\\\\srv\\\xA5\x5C\xAF\xE0\\) = 0 (error 53)", ExitStepFailed, 950},
        {"\\\\srv\\\x83\x5C\x83\x74\\CD\\Setup.exe", "C:\\WINDOWS",
         "SetCurrentDirectoryA(\\\\srv\\\x83\x5C\x83\x74\\) = 0 (error 53)", ExitStepFailed, 932},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.module);
        winsim::Machine m;
        m.codePage = c.codePage;
        InsertMedium(m);
        m.MakeDirectory(c.caller);
        m.modulePath = c.module;
        m.currentDirectory = c.caller;
        m.commandLine = std::string("\"") + c.module + "\" /install IDE /norestart /log setup.log";
        EXPECT_EQ(RunProgram(m, [](winsim::User &) {}), c.code);
        EXPECT_EQ(m.CallsNamed("SetCurrentDirectoryA"), std::vector<std::string>{c.entered});
        std::string log = m.ReadFile(std::string(c.caller) + "\\setup.log");
        EXPECT_NE(log.find("Exit code: " + std::to_string(c.code)), std::string::npos);
    }
}

TEST(Unattended, TheLogOfAnInstallAndAnUninstall) {
    winsim::Machine m;
    InsertMedium(m);
    m.MapDrive('D', DRIVE_FIXED).freeClusters = 1000000;
    m.WriteFile("C:\\setup.log", "an earlier line\r\n");
    EXPECT_EQ(RunWith(m, "/install IDE /log c:\\setup.log"), ExitDone);
    m.localTime.wHour = 15;
    EXPECT_EQ(RunWith(m, "/uninstall /norestart /log c:\\setup.log"), ExitRestartNeeded);
    const std::string sys = "C:\\WINDOWS\\SYSTEM", programs = "C:\\WINDOWS\\Start Menu\\Programs";
    // clang-format off
    EXPECT_EQ(m.ReadFile("C:\\setup.log"),
              "an earlier line\r\n"
              "Setup started 2001-03-09 14:07:05\r\n"
              "Command line: \"E:\\Setup.exe\" /install IDE /log c:\\setup.log\r\n"
              "Windows: 2 Microsoft  Windows  98\r\n"
              "Installed marker: absent\r\n"
              "Create folder c:\\ltdrv: done\r\n"
              "Check the medium against \\MANIFEST.TXT: not there\r\n"
              "Add the driver-loader line to c:\\config.sys: done\r\n"
              "Place c:\\ltdrv\\95drv.exe from \\95-98\\95drv.exe: done\r\n"
              "Place c:\\ltdrv\\Vave_R.exe from \\Vave_R.exe: done\r\n"
              "Place " + programs + "\\RizoZezu.lnk from \\RizoZezu.lnk: done\r\n"
              "Move the swap file to drive D: in system.ini: done\r\n"
              "Place " + sys + "\\iosubsys\\95drv.vxd from \\95-98\\ide\\95drv.vxd: done\r\n"
              "Place \\iosubsys\\95drv.vxd from \\95-98\\scsi\\95drv.vxd: skipped, not for this interface\r\n"
              "Place " + sys + "\\SCSIDRV.SYS from " + sys + "\\iosubsys\\95drv.vxd: done\r\n"
              "Place " + sys + "\\SCSIDRV.VXD from \\FCHK1.DAT: done\r\n"
              "Write HKLM key System\\CurrentControlSet\\Services\\VxD\\SCVXD: done\r\n"
              "Write HKLM key system\\Restore Card: done\r\n"
              "Record the swap file settings in HKLM key system\\Restore Card: done\r\n"
              "Warning: Install OK !! System will be restart .......\r\n"
              "Restart: requested\r\n"
              "Exit code: 0\r\n"
              "\r\n"
              "Setup started 2001-03-09 15:07:05\r\n"
              "Command line: \"E:\\Setup.exe\" /uninstall /norestart /log c:\\setup.log\r\n"
              "Windows: 2 Microsoft  Windows  98\r\n"
              "Installed marker: present\r\n"
              "Remove the driver-loader lines from C:\\CONFIG.SYS: done\r\n"
              "Delete c:\\ltdrv\\95drv.exe: done\r\n"
              "Delete c:\\ltdrv\\Vave_R.exe: done\r\n"
              "Delete " + programs + "\\RizoZezu.lnk: done\r\n"
              "Delete " + sys + "\\iosubsys\\95drv.vxd: done\r\n"
              "Delete " + sys + "\\SCSIDRV.VXD: done\r\n"
              "Delete " + sys + "\\SCSIDRV.SYS: done\r\n"
              "Restore the swap file settings in system.ini: done\r\n"
              "Delete with subkeys HKLM key System\\CurrentControlSet\\Services\\VxD\\SCVXD: done\r\n"
              "Remove folder c:\\ltdrv: done\r\n"
              "Delete with subkeys HKLM key system\\Restore Card: done\r\n"
              "Warning: Uninstall OK !! System will be restart .......\r\n"
              "Restart: not requested (/norestart)\r\n"
              "Exit code: 3010\r\n"
              "\r\n");
    // clang-format on
}

TEST(Unattended, TheLogOfAFailureAndARefusal) {
    {
        SCOPED_TRACE("a medium file missing on NT 4, and what was kept");
        winsim::Machine m;
        m.SetWindowsNt4();
        InsertMedium(m);
        TakeAway(m, "E:\\Vave_R.exe");
        m.WriteFile(m.systemDirectory + "\\drivers\\ZIV.sys", "an older driver");
        EXPECT_EQ(RunWith(m, "/install SCSI /log C:\\setup.log"), ExitStepFailed);
        EXPECT_EQ(StepLines(m, "C:\\setup.log"),
                  (Texts{"Create folder c:\\ltdrv: done", "Check the medium against \\MANIFEST.TXT: not there",
                         "Place C:\\WINNT\\system32\\drivers\\ZIV.sys from \\NT\\ZIV.sys: already there and kept",
                         "Place c:\\ltdrv\\Vave_R.exe from \\Vave_R.exe: failed, the source cannot be read",
                         "Error: Soure File Two not found", "Exit code: 1603"}));
    }
    {
        SCOPED_TRACE("a driver that differs from the medium's manifest");
        winsim::Machine m;
        m.SetWindows2000();
        InsertMedium(m);
        WriteManifest(m);
        m.WriteFile("E:\\NT\\ZIV.sys", MediumBytes(m, "\\NT\\ZIV.sys") + "?");
        EXPECT_EQ(RunWith(m, "/install SCSI /log C:\\setup.log"), ExitStepFailed);
        EXPECT_EQ(
            StepLines(m, "C:\\setup.log"),
            (Texts{"Create folder c:\\ltdrv: done",
                   "Place C:\\WINNT\\system32\\drivers\\ZIV.sys from \\NT\\ZIV.sys: the file on the medium is damaged",
                   "Error: Setup cannot use \\NT\\ZIV.sys: the file on the medium is damaged", "Exit code: 1603"}));
    }
    {
        SCOPED_TRACE("a registry that refuses writes");
        winsim::Machine m;
        m.SetWindows2000();
        InsertMedium(m);
        m.Key(HKEY_LOCAL_MACHINE, ZivKey).readOnly = true;
        EXPECT_EQ(RunWith(m, "/install IDE /log C:\\setup.log"), ExitStepFailed);
        Texts lines = StepLines(m, "C:\\setup.log");
        Texts last(lines.end() - 4, lines.end());
        EXPECT_EQ(last, (Texts{"Place C:\\WINNT\\Profiles\\Administrator\\Start Menu\\Programs\\RizoZezu.exe from "
                               "\\Vave_R.exe: done",
                               "Write HKLM key SYSTEM\\CurrentControlSet\\Services\\ZIV: refused by the system",
                               "Error: Setup cannot write the registry", "Exit code: 1603"}));
    }
    {
        SCOPED_TRACE("a swap-file setting too long to record");
        winsim::Machine m;
        InsertMedium(m);
        m.MapDrive('D', DRIVE_FIXED).freeClusters = 1000000;
        m.WriteFile("C:\\WINDOWS\\SYSTEM.INI", "[386Enh]\r\nPagingDrive=" + std::string(256, 'c') + "\r\n");
        EXPECT_EQ(RunWith(m, "/install IDE /norestart /log C:\\setup.log"), ExitRestartNeeded);
        Texts lines = StepLines(m, "C:\\setup.log");
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            "Move the swap file to drive D: in system.ini: skipped, a setting is too long to record"),
                  lines.end());
    }
    {
        SCOPED_TRACE("ME, which does not run the loader line");
        winsim::Machine m;
        m.SetWindowsMe();
        InsertMedium(m);
        EXPECT_EQ(RunWith(m, "/install SCSI /norestart /log C:\\setup.log"), ExitRestartNeeded);
        EXPECT_EQ(StepLines(m, "C:\\setup.log")[2],
                  "Add the driver-loader line to c:\\config.sys: done, but Windows ME does not run it at start-up");
    }
    {
        SCOPED_TRACE("a server");
        winsim::Machine m;
        m.SetWindows2000(VER_NT_SERVER);
        InsertMedium(m);
        m.Key(HKEY_LOCAL_MACHINE, MarkerKey);
        EXPECT_EQ(RunWith(m, "/uninstall /log C:\\setup.log"), ExitRefused);
        std::string log = m.ReadFile("C:\\setup.log");
        EXPECT_NE(log.find("Windows: 22 Windows  2000  Server\r\nInstalled marker: present\r\n"), std::string::npos);
        EXPECT_EQ(StepLines(m, "C:\\setup.log"), (Texts{"Error: The Version not support Windows 2000 Server",
                                                        "Remove folder c:\\ltdrv: not there", "Exit code: 1633"}));
    }
}

}  // namespace
