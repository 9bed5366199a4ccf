// The Debian packages as a school's IT staff meet them: made from the build folder, unpacked
// into a scratch root, checked by Debian's and the desktop's validators, and the installed
// program started against the installed demo service until its login dialog is up.
#include <QtTest>

#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <dlfcn.h>

#include "DataRows.h"
#include "app/LumoApplication.h"
#include "platform/WindowRegistry.h"
#include "web/BrowserEngineModule.h"

namespace {

const QString kVersion = QStringLiteral(LUMO_VERSION);
const QString kDesktopFile = QStringLiteral("usr/share/applications/lumoclass.desktop");
const QString kMetainfo = QStringLiteral("usr/share/metainfo/cn.lumovia.lumoclass.metainfo.xml");
const QString kDemoData = QStringLiteral("usr/share/lumoclass-demo-service/data");
const QList<int> kIconSizes = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kToolMs = 120000;
constexpr int kStartMs = 30000;

struct ToolResult {
    int exitCode = -1;
    QString output;
};

ToolResult runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForFinished(kToolMs)) {
        process.kill();
        process.waitForFinished();
        result.output = program + " did not finish: " + process.errorString();
        return result;
    }
    result.output = QString::fromUtf8(process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

// Every file below `root`, relative and sorted.
QStringList filesBelow(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The keys of a desktop entry's main group; a list value keeps its separators.
QMap<QString, QString> desktopEntry(const QString& path) {
    QFile file(path);
    QMap<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly)) return keys;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && !line.startsWith('#')) keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}

// The installed demo service on a loopback address of this process's own; "" when it fails.
QString startDemoService(QProcess& service, const QString& root, const QString& config) {
    const unsigned pid = static_cast<unsigned>(::getpid());
    const QString address = QStringLiteral("127.%1.%2.250").arg(10 + (pid >> 8) % 240).arg(pid & 0xff);
    service.start(
        root + "/usr/bin/lumoclass-demo-service",
        {"--data", root + "/" + kDemoData, "--listen", address + ":0", "--state",
         qEnvironmentVariable("LUMO_TEST_ENV_ROOT") + "/demo-state", "--write-client-config", config});
    QByteArray output;
    QDeadlineTimer deadline(kStartMs);
    while (!output.contains("\nready\n") && !deadline.hasExpired() &&
           service.state() != QProcess::NotRunning) {
        service.waitForReadyRead(200);
        output += service.readAllStandardOutput();
    }
    return output.contains("\nready\n") ? address : QString();
}

}  // namespace

class TestPackage : public QObject {
    Q_OBJECT

    QString packages_, root_, demoRoot_;

    QString package(const QString& name) const {
        return packages_ + QStringLiteral("/%1_%2_amd64.deb").arg(name, kVersion);
    }

private slots:
    void initTestCase() {
        const QString envRoot = qEnvironmentVariable("LUMO_TEST_ENV_ROOT");
        QVERIFY(!envRoot.isEmpty());
        packages_ = envRoot + "/packages";
        root_ = envRoot + "/root";
        demoRoot_ = envRoot + "/demo-root";
        const ToolResult made = runTool(QStringLiteral(LUMO_CPACK), {"-G", "DEB", "-B", packages_, "--config",
                                                                     LUMO_BUILD_DIR "/CPackConfig.cmake"});
        QVERIFY2(made.exitCode == 0, qPrintable(made.output));
        for (const auto& [name, root] : {std::pair{QStringLiteral("lumoclass"), root_},
                                         std::pair{QStringLiteral("lumoclass-demo-service"), demoRoot_}}) {
            QVERIFY2(QFile::exists(package(name)), qPrintable(made.output));
            const ToolResult unpacked = runTool(QStringLiteral("dpkg-deb"), {"-x", package(name), root});
            QVERIFY2(unpacked.exitCode == 0, qPrintable(unpacked.output));
        }
    }

    void packageHoldsItsFilesAndNothingElse_data() {
        addColumns<QString, QStringList>({"root", "expected"});
        QStringList program = {"usr/bin/lumoclass",
                               "usr/lib/x86_64-linux-gnu/lumoclass/lumoclass-webengine.so",
                               kDesktopFile,
                               kMetainfo,
                               "usr/share/doc/lumoclass/changelog.gz",
                               "usr/share/doc/lumoclass/copyright",
                               "usr/share/icons/hicolor/scalable/apps/lumoclass.svg",
                               "usr/share/man/man1/lumoclass.1.gz"};
        for (int size : kIconSizes)
            program << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/lumoclass.png").arg(size);
        program.sort();
        addRow("lumoclass", root_, program);

        QStringList demo = {"usr/bin/lumoclass-demo-service",
                            "usr/share/doc/lumoclass-demo-service/changelog.gz",
                            "usr/share/doc/lumoclass-demo-service/copyright",
                            "usr/share/man/man1/lumoclass-demo-service.1.gz"};
        for (const QString& file : filesBelow(QStringLiteral(LUMO_DEMO_DATA_DIR)))
            demo << kDemoData + "/" + file;
        demo.sort();
        addRow("lumoclass-demo-service", demoRoot_, demo);
    }
    void packageHoldsItsFilesAndNothingElse() {
        QFETCH(QString, root);
        QFETCH(QStringList, expected);
        QCOMPARE(filesBelow(root), expected);
    }

    void controlNamesWhatThePackageNeeds_data() {
        addColumns<QString, QStringList>({"name", "depends"});
        // The first from the library links, the rest loaded at run time only.
        addRow("lumoclass", "lumoclass",
               QStringList{"libqt6widgets6", "libqt6svg6", "libcurl4", "libxml2", "qt6-qpa-plugins",
                           "libqt6webenginecore6-bin", "fonts-noto-cjk"});
        addRow("lumoclass-demo-service", "lumoclass-demo-service", QStringList{"libqt6gui6", "libssl3"});
    }
    void controlNamesWhatThePackageNeeds() {
        QFETCH(QString, name);
        QFETCH(QStringList, depends);
        const ToolResult fields = runTool(QStringLiteral("dpkg-deb"), {"--field", package(name), "Package",
                                                                       "Version", "Architecture", "Depends"});
        QCOMPARE(fields.exitCode, 0);
        QVERIFY2(fields.output.contains("Package: " + name + "\n"), qPrintable(fields.output));
        QVERIFY2(fields.output.contains("Version: " + kVersion + "\n"), qPrintable(fields.output));
        QVERIFY2(fields.output.contains("Architecture: amd64\n"), qPrintable(fields.output));
        const QString line = fields.output.section(QStringLiteral("Depends: "), 1).section('\n', 0, 0);
        QStringList named;
        for (const QString& dependency : line.split(',')) named << dependency.trimmed().section(' ', 0, 0);
        for (const QString& dependency : depends)
            QVERIFY2(named.contains(dependency), qPrintable(dependency + " missing from: " + line));
    }

    void validatorsAccept_data() {
        addColumns<QString, QStringList>({"tool", "arguments"});
        addRow("desktop entry", "desktop-file-validate", QStringList{root_ + "/" + kDesktopFile});
        addRow("metainfo", "appstreamcli", QStringList{"validate", "--no-net", root_ + "/" + kMetainfo});
        addRow("lintian", "lintian",
               QStringList{"--fail-on", "error,warning", "--no-tag-display-limit", package("lumoclass"),
                           package("lumoclass-demo-service")});
    }
    void validatorsAccept() {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const ToolResult checked = runTool(tool, arguments);
        QVERIFY2(checked.exitCode == 0, qPrintable(checked.output));
    }

    void menuEntryStartsAndNamesTheProgram() {
        const QMap<QString, QString> entry = desktopEntry(root_ + "/" + kDesktopFile);
        QCOMPARE(entry.value("Name"), QStringLiteral("Lumovia Class"));
        QCOMPARE(entry.value("Name[zh_CN]"), QStringLiteral("Lumo课堂"));
        QVERIFY(QFileInfo(root_ + "/usr/bin/" + entry.value("Exec")).isExecutable());
        QVERIFY(
            QFile::exists(root_ + "/usr/share/icons/hicolor/scalable/apps/" + entry.value("Icon") + ".svg"));
        const QStringList categories = entry.value("Categories").split(';', Qt::SkipEmptyParts);
        QVERIFY(categories.contains("Education") && categories.contains("Presentation"));
        // The window class and application id the program gives its windows, so the desktop
        // ties them to this entry.
        QCOMPARE(entry.value("StartupWMClass"), QCoreApplication::applicationName());
        QCOMPARE(QFileInfo(kDesktopFile).completeBaseName(), QGuiApplication::desktopFileName());
    }

    void iconsHaveTheSizesTheirFoldersName() {
        for (int size : kIconSizes) {
            const QImage icon(root_ +
                              QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/lumoclass.png").arg(size));
            QCOMPARE(icon.size(), QSize(size, size));
            // Opaque in the middle, clear in the corners: the drawing, not an empty canvas.
            QCOMPARE(icon.pixelColor(size / 2, size / 2).alpha(), 255);
            QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
        }
    }

    // The players' browser engine is a module the program loads on the first navigation: it must
    // be where the installed program looks for it, and load with what the package depends on.
    void installedProgramFindsItsBrowserModule() {
        const QString module = BrowserEngineModule::installedPath(root_ + "/usr/bin");
        QVERIFY2(QFile::exists(module), qPrintable(module));
        void* loaded = ::dlopen(QFile::encodeName(module).constData(), RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(loaded != nullptr, ::dlerror());
        QVERIFY(::dlsym(loaded, LUMO_BROWSER_ENGINE_ENTRY) != nullptr);
    }

    void installedProgramShowsTheLoginDialog() {
        QProcess service;
        service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QString config = qEnvironmentVariable("LUMOCLASS_CONFIG");
        QVERIFY(!startDemoService(service, demoRoot_, config).isEmpty());

        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(root_ + "/usr/bin/lumoclass", {});
        QVERIFY(program.waitForStarted(kStartMs));
        const QString loginWindow = QStringLiteral("QO-RO Editing Tool");
        QTRY_COMPARE_WITH_TIMEOUT(WindowRegistry::ownerPid(loginWindow), program.processId(), kStartMs);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished(kStartMs);
        service.terminate();
        QVERIFY(service.waitForFinished(kStartMs));
    }
};

int main(int argc, char** argv) {
    // The browser module is loaded here as a plain library: the engine then wants the contexts it
    // shares made at start (the program makes them before it loads the module).
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The program's own application object: its names are what the menu entry must match.
    LumoApplication application(argc, argv);
    TestPackage test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_package.moc"
