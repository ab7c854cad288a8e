#pragma once

#include <QString>

// Has the converter program turn a merged firmware image into a USB upgrade image. The image at P
// is moved aside to P.tmp and the converter, given P.tmp and P as two arguments, writes the
// upgrade image to P. The merged image is deleted only once the converter has ended with status 0
// and P holds a whole upgrade image; otherwise whatever the converter wrote is dropped and the
// merged image is put back at P. Failures are described by GetError in the words of a
// "Merge Error" box.
class CConverterRun
{
public:
    // The converter is looked for in strStartDir first (the directory the editor was started
    // from), then in the directory of this program.
    explicit CConverterRun(const QString& strStartDir) : m_strStartDir(strStartDir) {}

    // The converter's file name on this platform.
    static QString FileName();
    // The converter's full path; empty when it is in neither place.
    QString Find() const;
    // How long Run waits for the converter before killing it.
    void SetTimeout(int nMilliseconds) { m_nTimeoutMs = nMilliseconds; }

    // Before the image is merged: false when P.tmp exists, which the run would need and must not
    // destroy. Nothing is changed.
    bool CheckImage(const QString& strImage);
    // Converts the merged image at strImage, blocking until the converter ends or times out.
    // False when the converter is missing (the image stays as it is), cannot be started, fails,
    // crashes, times out or leaves no whole upgrade image (the merged image is back at strImage,
    // or at strImage.tmp if it could not be moved back, as the error says).
    bool Run(const QString& strImage);
    // What went wrong in the last CheckImage or Run that returned false.
    const QString& GetError() const { return m_strError; }

private:
    QString m_strStartDir;
    int m_nTimeoutMs = 120000;
    QString m_strError;
};
