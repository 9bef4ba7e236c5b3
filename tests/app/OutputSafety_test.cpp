#include "support/Cli.h"
#include "support/TemporaryFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <thread>

// What a write does to its destination, whatever sits there and whatever happens meanwhile: the
// old file stays until the new one is whole, links are written through, devices and FIFOs are
// streamed into, inputs are never overwritten, and interrupted or failed writes leave no
// temporary file.

namespace {

constexpr int kRecords = 20000;
constexpr int kSamples = 50;
const QByteArray kWig = "variableStep chrom=1 span=1\n10 1.5\n11 2\n";

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(text);
}

// A VCF big enough that writing it takes a noticeable time.
QByteArray largeVcf() {
    QByteArray text = "##fileformat=VCFv4.2\n"
                      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                      "##FORMAT=<ID=DP,Number=1,Type=Integer,Description=\"Depth\">\n"
                      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
    QByteArray samples;
    for (int s = 0; s < kSamples; ++s) {
        text += "\tS" + QByteArray::number(s);
        samples += "\t0/1:" + QByteArray::number(s);
    }
    text += '\n';
    for (int i = 0; i < kRecords; ++i)
        text += "1\t" + QByteArray::number(i * 10 + 1) + "\t.\tA\tG\t50\tPASS\t.\tGT:DP" + samples + '\n';
    return text;
}

class OutputSafety : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_inputs = new QTemporaryDir;
        writeFile(s_inputs->filePath("large.vcf"), largeVcf());
    }
    static void TearDownTestSuite() {
        delete s_inputs;
        s_inputs = nullptr;
    }
    static QString largeInput() { return s_inputs->filePath("large.vcf"); }
    static QString example() { return QStringLiteral(VARKIT_EXAMPLES "/example.vcf"); }

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList temporaries() const { return temporaryFilesIn(m_dir.path()); }

    // Starts varkit and returns once its temporary file exists, in the middle of the write.
    ::testing::AssertionResult startWriting(QProcess& process, const QStringList& arguments) {
        process.start(QStringLiteral(VARKIT_BINARY), arguments);
        QElapsedTimer clock;
        clock.start();
        while (temporaries().isEmpty()) {
            if (process.state() == QProcess::NotRunning || clock.elapsed() > 60000)
                return ::testing::AssertionFailure() << "no temporary file appeared while writing";
            QThread::usleep(500);
        }
        return ::testing::AssertionSuccess();
    }

    static void interrupt(QProcess& process, int signal) {
        ::kill(pid_t(process.processId()), signal);
        process.waitForFinished(60000);
    }

    static QTemporaryDir* s_inputs;
    QTemporaryDir m_dir;
};

QTemporaryDir* OutputSafety::s_inputs = nullptr;

} // namespace

TEST_F(OutputSafety, AReplacedFileStaysWholeUntilTheNewOneTakesItsPlace) {
    for (const char* name : {"out.txt", "out.tsf"}) {
        const QString out = m_dir.filePath(QLatin1String(name));
        const QString command = out.endsWith(QLatin1String(".tsf")) ? "writetsf" : "writetxt";
        writeFile(out, "the old file");
        // Killed outright in the middle: the old file is still there, next to the temporary one.
        QProcess killed;
        ASSERT_TRUE(startWriting(killed, {command, largeInput(), out})) << name;
        EXPECT_EQ(fileText(out), "the old file");
        interrupt(killed, SIGKILL);
        EXPECT_EQ(fileText(out), "the old file");
        const QStringList stale = temporaries();
        EXPECT_FALSE(stale.isEmpty());

        // What a killed write left does not stand in the way of the next one.
        const CliResult result = runVarkit({command, largeInput(), out});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_NE(fileText(out), "the old file");
        EXPECT_EQ(temporaries(), stale);
        for (const QString& file : stale)
            QFile::remove(m_dir.filePath(file));
    }
    // The TSF writer keeps what it replaced.
    EXPECT_EQ(fileText(path("out.tsf.conflicting")), "the old file");
    EXPECT_FALSE(QFileInfo::exists(path("out.txt.conflicting")));
}

TEST_F(OutputSafety, InterruptedWritesRemoveTheirTemporaryFiles) {
    for (const int signal : {SIGINT, SIGTERM}) {
        for (const char* command : {"writetxt", "writevcf", "writetsf"}) {
            QProcess process;
            const QString out = path("out");
            ASSERT_TRUE(startWriting(process, {command, largeInput(), out})) << command;
            interrupt(process, signal);
            EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << command << " " << signal;
            EXPECT_EQ(temporaries(), QStringList())
                << command << " " << signal << ": " << temporaries().join(' ').toStdString();
            EXPECT_FALSE(QFileInfo::exists(out)) << command;
        }
    }
}

TEST_F(OutputSafety, AFileSizeLimitEndsTheWriteWithItsReason) {
    const QList<QPair<QString, const char*>> writes = {{"writetxt", "out.txt"},
                                                       {"writevcf", "out.vcf"},
                                                       {"writevcf", "out.vcf.gz"},
                                                       {"writetsf", "out.tsf"},
                                                       {"writexlsx", "out.xlsx"}};
    for (const auto& [command, out] : writes) {
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {"-c", "ulimit -f 64 && exec \"$0\" \"$@\"", VARKIT_BINARY,
                                                command, largeInput(), path(out)});
        ASSERT_TRUE(shell.waitForFinished(120000));
        const QByteArray err = shell.readAllStandardError();
        EXPECT_EQ(shell.exitStatus(), QProcess::NormalExit) << out;
        EXPECT_EQ(shell.exitCode(), 1) << out;
        EXPECT_TRUE(err.contains("Could not write " + path(out).toUtf8() + ": File too large"))
            << err.toStdString();
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList()) << out;
    }
}

TEST_F(OutputSafety, ADirectoryIsRefused) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder"));
    for (const char* command : {"writetxt", "writevcf", "writetsf", "writexlsx"}) {
        const CliResult result = runVarkit({command, example(), path("folder")});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_TRUE(result.err.contains("The destination " + path("folder").toUtf8() +
                                        " is a directory; give the name of a file to write"))
            << result.err.toStdString();
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"folder"});
    EXPECT_TRUE(QDir(path("folder")).isEmpty());
}

TEST_F(OutputSafety, ASymbolicLinkIsWrittenThrough) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("data"));
    writeFile(path("data/calls.txt"), "the old file");
    ASSERT_TRUE(QFile::link("data/calls.txt", path("calls.txt")));
    ASSERT_TRUE(QFile::link("data/new.txt", path("new.txt")));
    for (const char* link : {"calls.txt", "new.txt"}) {
        const CliResult result = runVarkit({"writetxt", example(), path(link)});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(QFileInfo(path(link)).isSymLink()) << link;
    }
    const QByteArray table = fileText(path("data/calls.txt"));
    EXPECT_TRUE(table.startsWith("#Chr\tStart\tStop\t")) << table.left(100).toStdString();
    EXPECT_EQ(fileText(path("data/new.txt")), table);
    EXPECT_EQ(QDir(path("data")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"calls.txt", "new.txt"}));
}

TEST_F(OutputSafety, DevicesAndFifosAreStreamedInto) {
    const CliResult toFile = runVarkit({"writevcf", example(), path("example.vcf")});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
    const CliResult toOutput = runVarkit({"writevcf", example(), "/dev/stdout"});
    EXPECT_EQ(toOutput.exitCode, 0) << toOutput.err.toStdString();
    EXPECT_EQ(toOutput.out, fileText(path("example.vcf")));
    // What the command says goes to standard error then, to keep the stream clean.
    writeFile(path("s.wig"), kWig);
    const CliResult wig = runVarkit({"writewig", path("s.wig"), "/dev/stdout"});
    EXPECT_EQ(wig.exitCode, 0) << wig.err.toStdString();
    EXPECT_EQ(wig.out, kWig);
    EXPECT_TRUE(wig.err.startsWith("Writing to: /dev/stdout\n")) << wig.err.toStdString();
    const CliResult xlsx = runVarkit({"writexlsx", example(), "/dev/stdout"});
    EXPECT_EQ(xlsx.exitCode, 0) << xlsx.err.toStdString();
    EXPECT_TRUE(xlsx.out.startsWith("PK\x03\x04"));

    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        QFile fifo(path("fifo"));
        if (fifo.open(QIODevice::ReadOnly))
            received = fifo.readAll();
    });
    const CliResult toFifo = runVarkit({"writetxt", example(), path("fifo")});
    reader.join();
    EXPECT_EQ(toFifo.exitCode, 0) << toFifo.err.toStdString();
    EXPECT_TRUE(received.startsWith("#Chr\tStart\tStop\t")) << received.left(100).toStdString();
    EXPECT_EQ(received.count('\n'), 51);
    EXPECT_FALSE(QFileInfo(path("fifo")).isFile());

    const CliResult full = runVarkit({"writetxt", example(), "/dev/full"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(full.err.contains("Could not write /dev/full: No space left on device"))
        << full.err.toStdString();

    const CliResult tsf = runVarkit({"writetsf", example(), "/dev/stdout"});
    EXPECT_EQ(tsf.exitCode, 1);
    EXPECT_EQ(tsf.out, QByteArray());
    EXPECT_TRUE(tsf.err.contains("A TSF file is a database and cannot be streamed into /dev/stdout"))
        << tsf.err.toStdString();
}

TEST_F(OutputSafety, NoCommandWritesOverItsInput) {
    const QByteArray vcf = fileText(example());
    writeFile(path("in.vcf"), vcf);
    writeFile(path("s.wig"), kWig);
    ASSERT_TRUE(QFile::link("in.vcf", path("link.txt")));
    ASSERT_EQ(runVarkit({"writetsf", "in.vcf", "in.tsf"}, QByteArray(), m_dir.path()).exitCode, 0);
    const QByteArray tsf = fileText(path("in.tsf"));
    const QList<QStringList> commands = {
        {"writetxt", "in.vcf", "in.vcf"},
        {"writexlsx", "in.vcf", "in.vcf"},
        {"writevcf", "in.vcf"},
        {"writevcf", "in.vcf", "link.txt"},
        {"writetxt", "in.vcf", "link.txt"},
        {"writewig", "s.wig"},
        {"writetsf", "in.tsf", "in.tsf"},
        {"writetsf", "in.vcf", "in.vcf"},
        // A transform reads its inputs.
        {"writetxt", "transform://altRatio/json/ {\"fields\":{\"sourceUrl\":\"" + path("in.vcf") + "\"}}",
         "in.vcf"}};
    for (const QStringList& command : commands) {
        const CliResult result = runVarkit(command, QByteArray(), m_dir.path());
        EXPECT_EQ(result.exitCode, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(" is the input ")) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("Give another destination")) << result.err.toStdString();
    }
    EXPECT_EQ(fileText(path("in.vcf")), vcf);
    EXPECT_EQ(fileText(path("in.tsf")), tsf);
    EXPECT_EQ(fileText(path("s.wig")), kWig);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"in.tsf", "in.vcf", "link.txt", "s.wig"}));
}

TEST_F(OutputSafety, AFullDiskEndsTheWriteWithItsReason) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("small"));
    const QString small = path("small");
    if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=256k", "tmpfs", small}) != 0)
        GTEST_SKIP() << "a small file system cannot be mounted here (needs root)";
    struct Unmount {
        QString folder;
        ~Unmount() { QProcess::execute(QStringLiteral("umount"), {folder}); }
    } unmount{small};
    for (const char* command : {"writetxt", "writevcf", "writetsf"}) {
        const QString out = small + QStringLiteral("/out");
        const CliResult result = runVarkit({command, largeInput(), out});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_TRUE(result.err.contains("Could not write " + out.toUtf8() + ": No space left on device"))
            << result.err.toStdString();
        EXPECT_EQ(QDir(small).entryList(QDir::Files | QDir::Hidden), QStringList()) << command;
    }
}
