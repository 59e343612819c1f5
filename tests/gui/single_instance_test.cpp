#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/single_instance.h"

namespace {

// A name no running program and no other test uses.
QString uniqueKey() {
    static int counter = 0;
    return QStringLiteral("vextal-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

QString socketFile(const TSingleInstance& instance) {
    const QString name = instance.serverName();
    return QDir::isAbsolutePath(name) ? name : QDir::tempPath() + QLatin1Char('/') + name;
}

// Runs a second program start to its end while this process keeps serving
// its events; returns its exit code (-1 when it did not end normally).
int startAgain(const QStringList& arguments, const QString& workingFolder = {}) {
    QProcess process;
    process.setProgram(QStringLiteral(VEXTAL_SINGLE_INSTANCE_HELPER));
    process.setArguments(arguments);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start();
    if (!process.waitForStarted(5000))
        return -1;
    const bool ended = QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000);
    return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString nextHandOver(QSignalSpy& spy) {
    if (spy.isEmpty() && !spy.wait(5000))
        return QStringLiteral("<nothing handed over>");
    return spy.takeFirst().at(0).toString();
}

} // namespace

TEST(SingleInstance, AllArgumentsJoinIntoOnePath) {
    EXPECT_EQ(QString(), joinedFileArgument({QStringLiteral("vextal")}));
    EXPECT_EQ(QStringLiteral("/data/my growth data.VXD"),
              joinedFileArgument({QStringLiteral("vextal"), QStringLiteral(" /data/my"), QStringLiteral("growth"),
                                  QStringLiteral("data.VXD ")}));
}

TEST(SingleInstance, SecondStartHandsOverItsFileAndExits) {
    const QString key = uniqueKey();
    TSingleInstance first(key);
    ASSERT_FALSE(first.tryHandOver(QString(), 500));
    ASSERT_TRUE(first.listen());
    QSignalSpy spy(&first, &TSingleInstance::fileHandedOver);

    EXPECT_EQ(0, startAgain({key, QStringLiteral("/data/my"), QStringLiteral("growth.VXD")}));
    EXPECT_EQ(QStringLiteral("/data/my growth.VXD"), nextHandOver(spy));

    // A relative name means the second start's working folder, not ours.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_EQ(0, startAgain({key, QStringLiteral("trial.VXD")}, folder.path()));
    EXPECT_EQ(QDir(folder.path()).absoluteFilePath(QStringLiteral("trial.VXD")), nextHandOver(spy));

    // Without a file the first instance is only asked to come to the front.
    EXPECT_EQ(0, startAgain({key}));
    EXPECT_EQ(QString(), nextHandOver(spy));
    EXPECT_TRUE(first.isListening());
}

TEST(SingleInstance, SocketOfACrashedInstanceDoesNotBlockTheNextStart) {
    const QString key = uniqueKey();
    EXPECT_EQ(3, startAgain({key, QStringLiteral("/data/a.VXD")}));  // alone: it listened, then ended
    QProcess crashed;
    crashed.start(QStringLiteral(VEXTAL_SINGLE_INSTANCE_HELPER), {QStringLiteral("--serve"), key});
    ASSERT_TRUE(crashed.waitForReadyRead(5000));
    ASSERT_EQ(QByteArray("listening"), crashed.readLine().trimmed());
    crashed.kill();
    ASSERT_TRUE(crashed.waitForFinished(5000));

    TSingleInstance next(key);
    ASSERT_TRUE(QFile::exists(socketFile(next)));  // left behind by the kill
    EXPECT_FALSE(next.tryHandOver(QStringLiteral("/data/a.VXD"), 1000));
    ASSERT_TRUE(next.listen());

    QSignalSpy spy(&next, &TSingleInstance::fileHandedOver);
    EXPECT_EQ(0, startAgain({key, QStringLiteral("/data/b.VXD")}));
    EXPECT_EQ(QStringLiteral("/data/b.VXD"), nextHandOver(spy));
}

TEST(SingleInstance, InstanceThatDoesNotAnswerKeepsItsSocket) {
    const QString key = uniqueKey();
    TSingleInstance second(key);
    QLocalServer silent;  // alive, but never answers
    ASSERT_TRUE(silent.listen(second.serverName()));

    EXPECT_FALSE(second.tryHandOver(QStringLiteral("/data/a.VXD"), 300));
    EXPECT_FALSE(second.listen());
    EXPECT_FALSE(second.isListening());
    EXPECT_TRUE(silent.isListening());
}

TEST(SingleInstance, MalformedMessagesAreDroppedAndServingGoesOn) {
    const QString key = uniqueKey();
    TSingleInstance first(key);
    ASSERT_TRUE(first.listen());
    QSignalSpy spy(&first, &TSingleInstance::fileHandedOver);

    const QByteArray huge("VXH1\xff\xff\xff\xff", 8);  // a length far beyond any path
    for (const QByteArray& message : {QByteArray("GET / HTTP/1.0\r\n\r\n"), huge}) {
        QLocalSocket intruder;
        intruder.connectToServer(first.serverName());
        ASSERT_TRUE(intruder.waitForConnected(1000));
        intruder.write(message);
        intruder.flush();
        EXPECT_TRUE(QTest::qWaitFor([&] { return intruder.state() == QLocalSocket::UnconnectedState; }, 2000));
        EXPECT_TRUE(intruder.readAll().isEmpty());
    }
    EXPECT_TRUE(spy.isEmpty());

    EXPECT_EQ(0, startAgain({key, QStringLiteral("/data/after.VXD")}));
    EXPECT_EQ(QStringLiteral("/data/after.VXD"), nextHandOver(spy));
}
