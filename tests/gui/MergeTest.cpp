// "Merge To Bin": the merge writer, then the converter that turns the image into a USB upgrade
// image, and what is left when the converter is missing, fails, crashes or never finishes.

#include "FrameTestBase.h"
#include "GuiTestMain.h"

#include "app/ConverterRun.h"

namespace {

// A firmware image of 2 MiB with a recognisable pattern.
QByteArray Firmware()
{
    QByteArray data(FIRMWARE_SIZE, '\0');
    for (qint64 i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + 3);
    return data;
}

QByteArray Merged(QByteArray data)
{
    data.replace(0, 4, "MRGD");
    return data;
}

} // namespace

class CMergeTest : public CFrameTestBase
{
    Q_OBJECT

private slots:
    // The converter run needs no frame: only the directory to look in first.
    void ConverterRunsWithoutAFrame()
    {
        CConverterRun run(m_pDir->path());
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        QVERIFY(run.Find().isEmpty());
        QVERIFY(!run.Run(strImage));
        QCOMPARE(run.GetError(), QStringLiteral("Merge Error, not find tessary"));
        QCOMPARE(ReadAll(strImage), Firmware());

        QVERIFY(WriteScript(Path("tessary"), CONVERTER_SCRIPT));
        QCOMPARE(run.Find(), QFileInfo(Path("tessary")).absoluteFilePath());
        QVERIFY(run.CheckImage(strImage));
        QVERIFY(run.Run(strImage));
        QCOMPARE(ReadAll(strImage), Firmware() + QByteArray(512, '\0'));
        QVERIFY(!QFile::exists(strImage + ".tmp"));

        QVERIFY(WriteAll(strImage + ".tmp", "precious"));
        QVERIFY(!run.CheckImage(strImage));
        QVERIFY2(run.GetError().contains(QStringLiteral("fw.bin.tmp already exists")),
                 qPrintable(run.GetError()));
    }

    // Without the converter no USB upgrade image can come of it: the merge stops before it writes.
    void MergeWithoutConverterLeavesTheImageAlone()
    {
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->DoMerge(writer);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Merge Error|Merge Error, not find tessary"));
        QCOMPARE(m_pPrompt->dialogs.at(0).strFilter, BIN_FILTER);
        QVERIFY(m_pPrompt->dialogs.at(0).bSave && m_pPrompt->dialogs.at(0).bMustExist);
        QCOMPARE(writer.nCalls, 0);
        QCOMPARE(ReadAll(strImage), Firmware());
        QVERIFY(!QFile::exists(strImage + ".tmp"));
        QVERIFY(!QFile::exists(strImage + ".bak"));
    }

    void MergeStopsWhenTheTemporaryNameIsTaken()
    {
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        QVERIFY(WriteAll(strImage + ".tmp", "precious"));
        QVERIFY(WriteScript(Path("tessary"), "exit 0"));
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->DoMerge(writer);
        QVERIFY(m_pPrompt->Only().startsWith(QStringLiteral("Merge Error|")));
        QCOMPARE(writer.nCalls, 0);
        QCOMPARE(ReadAll(strImage), Firmware());
        QCOMPARE(ReadAll(strImage + ".tmp"), QByteArray("precious"));
    }

    void MergeWriterFailureIsReported()
    {
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        QVERIFY(WriteScript(Path("tessary"), "echo ran > \"$0.ran\""));
        CMarkingWriter writer;
        writer.bFail = true;
        m_pPrompt->files = {QString(), strImage};
        m_pFrame->DoMerge(writer); // cancelled
        QCOMPARE(writer.nCalls, 0);
        m_pFrame->DoMerge(writer);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Merge Error|Invalid file format!"));
        QVERIFY(!QFile::exists(Path("tessary.ran")));
        QCOMPARE(ReadAll(strImage), Firmware());
    }

    void FailingConverterPutsTheMergedImageBack_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("shown");
        QTest::newRow("exit status 1") << QStringLiteral("echo 'open From file failer!'; : > \"$2\"; exit 1")
                                       << QStringLiteral("open From file failer!");
        QTest::newRow("short image, status 0")
            << QStringLiteral("echo 'file read error!'; head -c 100 \"$1\" > \"$2\"")
            << QStringLiteral("file read error!");
        QTest::newRow("crash") << QStringLiteral("kill -9 $$") << QStringLiteral("crashed");
        QTest::newRow("never finishes") << QStringLiteral("head -c 10 \"$1\" > \"$2\"; exec sleep 30")
                                        << QStringLiteral("did not finish");
    }

    void FailingConverterPutsTheMergedImageBack()
    {
        QFETCH(QString, script);
        QFETCH(QString, shown);
        LoadSample();
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        QVERIFY(WriteScript(Path("tessary"), script));
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->SetConverterTimeout(1500);
        m_pFrame->DoMerge(writer);

        QCOMPARE(m_pPrompt->messages.size(), size_t(1));
        QCOMPARE(m_pPrompt->messages[0].strCaption, std::string("Merge Error"));
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_ERROR);
        const QString strText = QString::fromStdString(m_pPrompt->messages[0].strText);
        QVERIFY2(strText.contains(shown), qPrintable(strText));
        QCOMPARE(ReadAll(strImage), Merged(Firmware()));
        QVERIFY(!QFile::exists(strImage + ".tmp"));
    }

    void ConverterGetsBothPathsAsSeparateArguments()
    {
        LoadSample();
        QVERIFY(QDir(m_pDir->path()).mkpath("my images"));
        const QString strImage = Path("my images/fw 1.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        // Records its arguments, then writes an image of the right size from its source.
        QVERIFY(WriteScript(Path("tessary"),
                            "printf '%s\\n' \"$#\" \"$1\" \"$2\" > \"$(dirname \"$0\")/args.txt\"\n"
                            "cat \"$1\" > \"$2\" && head -c 512 /dev/zero >> \"$2\""));
        // Changing the current directory after start-up does not move the place of the converter.
        QDir::setCurrent(QDir::tempPath());
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->DoMerge(writer);
        QDir::setCurrent(m_strOldCwd);

        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Merge default program finished!"));
        QCOMPARE(m_pPrompt->messages[0].nIcon, IMessageSink::ICON_INFORMATION);
        QCOMPARE(QString::fromUtf8(ReadAll(Path("args.txt"))),
                 QStringLiteral("2\n%1.tmp\n%1\n").arg(strImage));
        QCOMPARE(QFileInfo(strImage).size(), USB_IMAGE_SIZE);
        QVERIFY(!QFile::exists(strImage + ".tmp"));
    }

    void MergeWithTheRealConverterMakesAUsbImage()
    {
#ifndef RAVELIN_TESSARY
        QSKIP("the converter is not part of this build");
#else
        LoadSample();
        QVERIFY(QFile::link(QStringLiteral(RAVELIN_TESSARY), Path("tessary")));
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, Firmware()));
        CMarkingWriter writer;
        m_pPrompt->files = {strImage};
        m_pFrame->DoMerge(writer);
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Merge default program finished!"));
        const QByteArray usb = ReadAll(strImage);
        QCOMPARE(usb.size(), USB_IMAGE_SIZE);
        QCOMPARE(usb.left(FIRMWARE_SIZE), Merged(Firmware()));
        QCOMPARE(usb.mid(FIRMWARE_SIZE, 6), QByteArray("TR5Hm!"));
        QVERIFY(!QFile::exists(strImage + ".tmp"));

        // An image too short for the converter: the merged image comes back.
        m_pPrompt->Reset();
        const QString strShort = Path("short.bin");
        QVERIFY(WriteAll(strShort, Firmware().left(1000)));
        m_pPrompt->files = {strShort};
        m_pFrame->DoMerge(writer);
        QVERIFY(m_pPrompt->Only().startsWith(QStringLiteral("Merge Error|")));
        QCOMPARE(ReadAll(strShort), Merged(Firmware().left(1000)));
        QVERIFY(!QFile::exists(strShort + ".tmp"));
#endif
    }

    void MergeToBinCommandUsesTheMergeWriter()
    {
        QAction* pMerge = Action("actionMergeToBin");
        QVERIFY(WriteScript(Path("tessary"), CONVERTER_SCRIPT));
        LoadSample();
        const QString strImage = Path("plain.bin");
        QVERIFY(WriteAll(strImage, QByteArray(64, 'x'))); // no default-database area
        m_pPrompt->files = {strImage};
        pMerge->trigger();
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Merge Error|Invalid file format!"));
        QCOMPARE(ReadAll(strImage), QByteArray(64, 'x'));
    }

    void MergeToBinWritesTheDatabaseIntoTheUsbImage()
    {
#ifndef RAVELIN_TESSARY
        QSKIP("the converter is not part of this build");
#else
        QAction* pMerge = Action("actionMergeToBin");
        QVERIFY(QFile::link(QStringLiteral(RAVELIN_TESSARY), Path("tessary")));
        // An image with an empty default database at 0x1000 and 4 KiB of filler behind it.
        QByteArray image(FIRMWARE_SIZE, '\x11');
        const QByteArray empty("Sg8K\0\0\0\0\0\0\0\0\0\0\0\0Eg8K", 20);
        const int nStart = 0x1000, nCapacity = 20 + 4096;
        image.replace(nStart, empty.size(), empty);
        image.replace(nStart + 20, 4096, QByteArray(4096, '\xFF'));
        const QString strImage = Path("fw.bin");
        QVERIFY(WriteAll(strImage, image));

        LoadSample();
        std::vector<uint8_t> db;
        QVERIFY(CAccessDbOut().BuildImage(m_pFrame->GetDb(), db));
        QByteArray expected = image;
        expected.replace(nStart, nCapacity, QByteArray(nCapacity, '\xFF'));
        expected.replace(nStart, int(db.size()),
                         QByteArray(reinterpret_cast<const char*>(db.data()), int(db.size())));

        m_pPrompt->files = {strImage};
        pMerge->trigger();
        QCOMPARE(m_pPrompt->Only(), QStringLiteral("Finish|Merge default program finished!"));
        const QByteArray usb = ReadAll(strImage);
        QCOMPARE(usb.size(), USB_IMAGE_SIZE);
        QVERIFY(usb.left(FIRMWARE_SIZE) == expected);
        QCOMPARE(usb.mid(FIRMWARE_SIZE, 6), QByteArray("TR5Hm!"));
        QVERIFY(!QFile::exists(strImage + ".tmp"));
#endif
    }
};

RAVELIN_GUI_TEST_MAIN(CMergeTest)
#include "MergeTest.moc"
