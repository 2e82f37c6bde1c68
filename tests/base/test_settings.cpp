#include "base/failure.h"
#include "base/settings.h"

#include "support/temporarysettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <functional>
#include <memory>

class TestSettings : public QObject {
    Q_OBJECT
    std::unique_ptr<TemporarySettings> m_settings;

private slots:
    void init() { m_settings = std::make_unique<TemporarySettings>(); }

    void defaultsComeBackAsText()
    {
        QCOMPARE(GetSetting("Option1", 1), QString("1"));
        QCOMPARE(GetSetting("Option2", 0), QString("0"));
        QCOMPARE(GetSetting("Snapshot", "False"), QString("False"));
        QCOMPARE(GetSetting("Extension", "csv"), QString("csv"));
    }

    void everyKeyRoundTrips_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("Option1") << "Option1"
                                 << "True";
        QTest::newRow("Option2") << "Option2"
                                 << "False";
        QTest::newRow("TabSel") << "TabSel"
                                << "1";
        QTest::newRow("blank in key") << "Output Folder"
                                      << "/home/u/Out put/";
        QTest::newRow("LastFolderDot") << "LastFolderDot"
                                       << "/tmp/a,b";
        QTest::newRow("LastFolder") << "LastFolder"
                                    << " spaced ";
        QTest::newRow("Extension") << "Extension"
                                   << "txt";
        QTest::newRow("dot in key") << "Form2.Text2"
                                    << "::";
        QTest::newRow("Snapshot") << "Snapshot"
                                  << "\x01\x7f\"quoted\";=[x]\\";
        QTest::newRow("non-ASCII") << "Output Folder" << QString::fromUtf8("/daten/日本/é/");
        QTest::newRow("empty") << "Output Folder"
                               << "";
    }
    void everyKeyRoundTrips()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        SaveSetting(key, value);
        QCOMPARE(GetSetting(key, "default"), value);
    }

    void storedInPellworthConfUnderTallowmere()
    {
        SaveSetting("Output Folder", "/x/");
        QFile file(m_settings->fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("[Tallowmere]"));
        QVERIFY(text.contains("Output%20Folder=/x/"));
    }

    void unwritableStoreIsToldOncePerSession()
    {
        // A folder where the settings file should be: every write fails.
        QVERIFY(QDir().mkpath(m_settings->fileName()));
        for (int session = 0; session < 2; ++session) {
            try {
                SaveSetting("Output Folder", "/x");
                QFAIL("no failure");
            } catch (const Failure& failure) {
                QVERIFY2(failure.description().startsWith("Cannot write the settings file " + m_settings->fileName()),
                    qPrintable(failure.description()));
            }
            for (const char* typed : {"/x/", "/x/y", "/x/y/"})
                SaveSetting("Output Folder", typed);
            SaveSetting("Option1", "True");
            beginSettingsSession();
        }
        QVERIFY(QFileInfo(m_settings->fileName()).isDir());
    }

    void unreadableFileIsKeptAsideAndAFreshOneStarted_data()
    {
        QTest::addColumn<QByteArray>("garbage");
        QTest::newRow("unclosed section") << QByteArray("[Tallowmere\nOption1=True\n");
        QTest::newRow("binary") << QByteArray("\x00\xff\x00\xfe[x]\x01", 7);
    }
    void unreadableFileIsKeptAsideAndAFreshOneStarted()
    {
        QFETCH(QByteArray, garbage);
        const QString file = m_settings->fileName();
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(garbage);
        out.close();

        QStringList told;
        auto attempt = [&](const std::function<void()>& action) {
            try {
                action();
            } catch (const Failure& failure) {
                told << failure.description();
            }
        };
        // Told at the first touch, here a read, which then gives nothing.
        attempt([&] { GetSetting("Option1", 1); });
        attempt([&] { SaveSetting("Output Folder", "/y/"); });
        attempt([&] { SaveSetting("Option1", "False"); });

        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith(
                     "The settings file " + file + " could not be read. It was kept as " + file + ".unreadable-"),
            qPrintable(told[0]));
        const QStringList aside = QDir(QFileInfo(file).path()).entryList({"Pellworth.conf.unreadable-*"});
        QCOMPARE(aside.size(), 1);
        QFile kept(QFileInfo(file).path() + "/" + aside[0]);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage);
        QCOMPARE(GetSetting("Output Folder", "default"), QString("/y/"));
        QCOMPARE(GetSetting("Option1", "default"), QString("False"));
    }

    void truthValues()
    {
        QVERIFY(toTruthValue("True"));
        QVERIFY(toTruthValue("true"));
        QVERIFY(toTruthValue("TRUE"));
        QVERIFY(!toTruthValue("False"));
        QVERIFY(!toTruthValue("fAlSe"));
        QVERIFY(toTruthValue("1"));
        QVERIFY(toTruthValue("-1"));
        QVERIFY(!toTruthValue("0"));
        QCOMPARE(truthText(true), QString("True"));
        QCOMPARE(truthText(false), QString("False"));
    }

    void badTruthValuesFail_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("word") << "Yes";
        QTest::newRow("empty") << "";
        QTest::newRow("garbage") << "1x";
        QTest::newRow("not a number") << "nan";
        QTest::newRow("infinite") << "inf";
    }
    void badTruthValuesFail()
    {
        QFETCH(QString, text);
        try {
            toTruthValue(text);
            QFAIL("no failure");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(), QString("Type mismatch"));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
