#include "views/FilterDlg.h"

#include "access/MessageSink.h"
#include "views/ListFilter.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>

namespace {

// Condition list columns and the role that keeps a condition's column index.
enum ConditionColumn
{
    COL_ITEM,
    COL_OPT,
    COL_VALUE,
};
constexpr int ROLE_COLUMN_INDEX = Qt::UserRole;

// The condition list reports double clicks anywhere in it, on a row or not: the row that goes is
// the one last clicked, which the base class has made current by then.
class CConditionList : public QTreeWidget
{
public:
    explicit CConditionList(QWidget* pParent) : QTreeWidget(pParent) {}
    std::function<void()> m_fnDblClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override
    {
        QTreeWidget::mouseDoubleClickEvent(pEvent);
        if (m_fnDblClick)
            m_fnDblClick();
    }
};

// Dialog units: the layout is given in quarters of the font's average character width and
// eighths of its height, so it scales with the font like the dialog it reproduces.
class CDialogUnits
{
public:
    explicit CDialogUnits(const QFont& font)
    {
        const QFontMetrics fm(font);
        const int nAlphabet =
            fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        m_nBaseX = (nAlphabet / 26 + 1) / 2;
        m_nBaseY = fm.height();
    }
    QRect Rect(int x, int y, int cx, int cy) const { return QRect(X(x), Y(y), X(cx), Y(cy)); }
    int X(int n) const { return (n * m_nBaseX + 2) / 4; }
    int Y(int n) const { return (n * m_nBaseY + 4) / 8; }

private:
    int m_nBaseX;
    int m_nBaseY;
};

} // namespace

CFilterDlg::CFilterDlg(CListFilter* pFilter, IMessageSink* pSink, QWidget* pParent)
    : QDialog(pParent), m_pFilter(pFilter), m_pSink(pSink)
{
    setObjectName("filterDlg");
    setWindowTitle(QStringLiteral("Filter"));
    setModal(true);
    setWindowFlags((windowFlags() | Qt::WindowSystemMenuHint) & ~Qt::WindowContextHelpButtonHint);

    const CDialogUnits du(font());
    setFixedSize(du.X(220), du.Y(180));

    auto* pList = new CConditionList(this);
    pList->m_fnDblClick = [this] { OnConditionDblClick(); };
    m_pConditionList = pList;
    m_pConditionList->setObjectName("conditionList");
    m_pConditionList->setGeometry(du.Rect(15, 15, 190, 100));
    m_pConditionList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pConditionList->setRootIsDecorated(false);
    m_pConditionList->setItemsExpandable(false);
    m_pConditionList->setUniformRowHeights(true);
    m_pConditionList->setAllColumnsShowFocus(true);
    m_pConditionList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pConditionList->header()->setSectionsClickable(false);
    m_pConditionList->header()->setStretchLastSection(false);
    m_pConditionList->setColumnCount(0); // the columns come with OnInitDialog

    auto* pAnd = new QLabel(QStringLiteral("AND:"), this);
    // Labels are as high as the boxes beside them, so their text sits on the same line.
    pAnd->setGeometry(du.Rect(15, 125, 18, 14));
    pAnd->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pColumnCombo = new QComboBox(this);
    m_pColumnCombo->setObjectName("columnCombo");
    m_pColumnCombo->setEditable(false);
    m_pColumnCombo->setGeometry(du.Rect(35, 125, 60, 14));
    m_pColumnCombo->setMaxVisibleItems(8);
    auto* pEq = new QLabel(QStringLiteral("=="), this);
    pEq->setGeometry(du.Rect(95, 125, 10, 14));
    pEq->setAlignment(Qt::AlignCenter);
    m_pValueEdit = new QLineEdit(this);
    m_pValueEdit->setObjectName("valueEdit");
    m_pValueEdit->setGeometry(du.Rect(105, 125, 55, 14));
    m_pAddButton = new QPushButton(QStringLiteral("&Add"), this);
    m_pAddButton->setObjectName("addButton");
    m_pAddButton->setGeometry(du.Rect(170, 125, 35, 14));
    m_pAddButton->setAutoDefault(false);
    m_pOkButton = new QPushButton(QStringLiteral("确定"), this);
    m_pOkButton->setObjectName("okButton");
    m_pOkButton->setGeometry(du.Rect(40, 155, 50, 14));
    m_pOkButton->setDefault(true);
    m_pCancelButton = new QPushButton(QStringLiteral("取消"), this);
    m_pCancelButton->setObjectName("cancelButton");
    m_pCancelButton->setGeometry(du.Rect(125, 155, 50, 14));
    m_pCancelButton->setAutoDefault(false);

    m_pValueEdit->installEventFilter(this);

    connect(m_pAddButton, &QPushButton::clicked, this, &CFilterDlg::OnAdd);
    connect(m_pOkButton, &QPushButton::clicked, this, &CFilterDlg::OnOK);
    connect(m_pCancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CFilterDlg::~CFilterDlg() = default;

int CFilterDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

void CFilterDlg::OnInitDialog()
{
    if (m_bInitDone)
        return;
    m_bInitDone = true;

    m_pConditionList->setHeaderLabels(
        {QStringLiteral("Item"), QStringLiteral("Opt"), QStringLiteral("Value")});
    m_pConditionList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pConditionList->setColumnWidth(COL_ITEM, 100);
    m_pConditionList->setColumnWidth(COL_OPT, 60);
    m_pConditionList->setColumnWidth(COL_VALUE, 120);

    if (m_pFilter) {
        const int nColumns = m_pFilter->GetColumnCount();
        for (int i = 0; i < nColumns; ++i)
            m_pColumnCombo->addItem(m_pFilter->GetColumnName(i));
    }
    m_pColumnCombo->setCurrentIndex(m_pColumnCombo->count() > 0 ? 0 : -1);

    if (!m_strTitle.isEmpty())
        setWindowTitle(m_strTitle);
}

bool CFilterDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pValueEdit && pEvent->type() == QEvent::KeyPress) {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter) {
            OnAdd();
            return true;
        }
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

void CFilterDlg::ShowError(const char* pszText, const char* pszCaption)
{
    if (m_pSink) {
        m_pSink->ShowMessage(pszText, pszCaption, IMessageSink::ICON_ERROR);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(pszCaption), QString::fromLatin1(pszText),
                    QMessageBox::Ok, this);
    box.exec();
}

void CFilterDlg::OnAdd()
{
    const int nColumn = m_pColumnCombo->currentIndex();
    if (nColumn < 0)
        return;
    const QString strHeading = m_pColumnCombo->currentText();
    const QString strValue = m_pValueEdit->text().trimmed();
    if (strHeading.isEmpty() || strValue.isEmpty()) {
        ShowError("Empty input", "Error");
        return;
    }
    for (int i = 0; i < m_pConditionList->topLevelItemCount(); ++i) {
        if (m_pConditionList->topLevelItem(i)->text(COL_ITEM) == strHeading) {
            ShowError("Filter Item Existed!", "Error");
            return;
        }
    }
    auto* pItem = new QTreeWidgetItem({strHeading, QStringLiteral("=="), strValue});
    pItem->setData(COL_ITEM, ROLE_COLUMN_INDEX, nColumn);
    m_pConditionList->addTopLevelItem(pItem);
}

void CFilterDlg::OnConditionDblClick()
{
    const QModelIndex current = m_pConditionList->currentIndex();
    if (!current.isValid())
        return;
    delete m_pConditionList->takeTopLevelItem(current.row());
}

void CFilterDlg::OnOK()
{
    const int nRows = m_pConditionList->topLevelItemCount();
    if (nRows == 0) {
        ShowError("Empty Filter!", "Empty");
        return;
    }
    if (m_pFilter) {
        m_pFilter->ClearItems();
        for (int i = 0; i < nRows; ++i) {
            const QTreeWidgetItem* pItem = m_pConditionList->topLevelItem(i);
            m_pFilter->AddItem(pItem->data(COL_ITEM, ROLE_COLUMN_INDEX).toInt(), pItem->text(COL_VALUE));
        }
    }
    accept();
}
