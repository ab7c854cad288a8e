#pragma once

#include <QDialog>

class QLabel;

// Build number and build time of this program, fixed when it is built.
extern const char* const g_pszBuildNumber;
extern const char* const g_pszBuildTime;

// "About Pelmora": the application icon, the version with the build number and the build time.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

    QString GetVersionText() const;
    QString GetBuildDateText() const;

private:
    QLabel* m_pVersion = nullptr;   // "Ravelin Advanced  V1.0.0.<build>"
    QLabel* m_pBuildDate = nullptr; // "Build date: <time>"
};
