#pragma once

#include <QApplication>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>

class CMainFrame;
class CQtPrompt;

// The editor's application object, one per process. It creates and shows the main frame, opens a
// file or the sample named on the command line, shows the about box, and gives access to the
// process-wide last-error message of the access classes.
class CPelmoraApp : public QApplication
{
    Q_OBJECT

public:
    CPelmoraApp(int& argc, char** argv);
    ~CPelmoraApp() override;

    // Creates and shows the frame; then "--sample" loads the built-in sample and a file argument
    // is loaded as a .db or .xls; "--screenshot FILE" saves a picture of the window and quits. Without
    // it, the recovery copies of editors that died are offered (CRecovery). False (with a
    // message on stderr) for a usage error.
    bool InitInstance(const QStringList& args);
    CMainFrame* GetMainFrame() const { return m_pFrame.get(); }

    void OnAppAbout();

    // The last-error message of the access classes.
    static void SetLastErrorMsg(const std::string& strText);
    static int32_t HasLastError();
    static std::string GetLastErrorMsg();
    static void ClearLastError();

private:
    // For the documentation: shows the programs of the first transponder with one renamed and
    // another one's name open for typing, saves a picture of the window as PNG and ends the event
    // loop.
    void SaveScreenshot(const QString& strPath);

    std::unique_ptr<CQtPrompt> m_pPrompt;
    std::unique_ptr<CMainFrame> m_pFrame;
};
