#include "app/ConverterRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

// A USB upgrade image: the 2 MiB image, trailer magic, CRC and zero fill to 4097 blocks of 512.
constexpr qint64 USB_IMAGE_SIZE = 0x200200;

QString TmpPath(const QString& strImage)
{
    return strImage + QStringLiteral(".tmp");
}

} // namespace

QString CConverterRun::FileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Tessary.exe");
#else
    return QStringLiteral("tessary");
#endif
}

QString CConverterRun::Find() const
{
    for (const QString& strDir : {m_strStartDir, QCoreApplication::applicationDirPath()}) {
        const QFileInfo info(QDir(strDir).filePath(FileName()));
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return QString();
}

bool CConverterRun::CheckImage(const QString& strImage)
{
    const QString strTmp = TmpPath(strImage);
    if (!QFileInfo::exists(strTmp))
        return true;
    m_strError = QStringLiteral("Merge Error, the file %1 already exists. Move it away and merge again.")
                     .arg(QDir::toNativeSeparators(strTmp));
    return false;
}

bool CConverterRun::Run(const QString& strImage)
{
    const QString strTmp = TmpPath(strImage);
    const QString strConverter = Find();
    if (strConverter.isEmpty()) {
        m_strError = QStringLiteral("Merge Error, not find ") + FileName();
        return false;
    }
    if (!QFile::rename(strImage, strTmp)) {
        m_strError = QStringLiteral("Merge Error, cannot rename %1 to %2.")
                         .arg(QDir::toNativeSeparators(strImage), QDir::toNativeSeparators(strTmp));
        return false;
    }

    QProcess converter;
    converter.setProcessChannelMode(QProcess::MergedChannels);
    converter.start(strConverter, {strTmp, strImage});
    const bool bFinished = converter.waitForStarted() && converter.waitForFinished(m_nTimeoutMs);
    if (!bFinished && converter.state() != QProcess::NotRunning) {
        converter.kill();
        converter.waitForFinished(5000);
    }
    const QString strOutput = QString::fromLocal8Bit(converter.readAll()).trimmed();
    const bool bOk = bFinished && converter.exitStatus() == QProcess::NormalExit &&
                     converter.exitCode() == 0 && QFileInfo(strImage).size() == USB_IMAGE_SIZE;
    if (bOk) {
        QFile::remove(strTmp);
        return true;
    }

    // Put the merged image back where the user chose it, dropping whatever the converter wrote.
    if (QFileInfo::exists(strImage))
        QFile::remove(strImage);
    const bool bRestored = QFile::rename(strTmp, strImage);

    QString strWhy;
    if (converter.error() == QProcess::FailedToStart)
        strWhy = QStringLiteral("the converter could not be started");
    else if (!bFinished)
        strWhy = QStringLiteral("the converter did not finish within %1 seconds").arg(m_nTimeoutMs / 1000);
    else if (converter.exitStatus() != QProcess::NormalExit)
        strWhy = QStringLiteral("the converter crashed");
    else if (converter.exitCode() != 0)
        strWhy = QStringLiteral("the converter exited with status %1").arg(converter.exitCode());
    else
        strWhy = QStringLiteral("the converter did not write a USB upgrade image");
    m_strError = QStringLiteral("Merge Error, %1 (%2).").arg(strWhy, QDir::toNativeSeparators(strConverter));
    if (!strOutput.isEmpty())
        m_strError += QStringLiteral("\n\n") + strOutput;
    m_strError += QStringLiteral("\n\nThe merged image is at %1.")
                      .arg(QDir::toNativeSeparators(bRestored ? strImage : strTmp));
    return false;
}
