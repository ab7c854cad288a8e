#include "access/AccessCsv.h"

#include "access/AccessDb.h"
#include "db/ChannelTable.h"
#include "db/ProgDb.h"
#include "platform/CodePage.h"

namespace {

const char* const HEADING = "Number,Name,Satellite,Frequency,Polar,SymbolRate,ServiceId,VPID,APID,PCRPID,"
                            "PmtPid,Scramble,Lock,Skip,Hide,FavType\r\n";

void AppendField(std::string& out, const std::string& strField)
{
    if (strField.find_first_of(",\"\r\n") == std::string::npos) {
        out += strField;
        return;
    }
    out += '"';
    for (char c : strField) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void AppendNumber(std::string& out, uint32_t nValue)
{
    out += ',';
    out += std::to_string(nValue);
}

} // namespace

std::string CsvText(const CProgDb& db, uint32_t nCodePage)
{
    CUtf8NameDecoder decoder(nCodePage);
    std::string out = HEADING;
    out.reserve(out.size() + size_t(db.GetProgList().GetCount()) * 80);
    uint32_t nNumber = 0;
    for (const CNode* pNode : db.GetProgList()) {
        const ProgRecord& rec = *static_cast<const CProgNode*>(pNode)->GetRecord();
        const CNode* pTp = db.GetTpList().Find(pNode->GetParentId());
        const CNode* pSat = pTp ? db.GetSatList().Find(pTp->GetParentId()) : nullptr;

        out += std::to_string(++nNumber);
        out += ',';
        AppendField(out, decoder.ToUtf8(rec.GetName()));
        out += ',';
        if (pSat)
            AppendField(out, decoder.ToUtf8(static_cast<const CSatNode*>(pSat)->GetRecord()->GetName()));
        if (pTp) {
            const TpRecord& tp = *static_cast<const CTpNode*>(pTp)->GetRecord();
            AppendNumber(out, tp.Get(TpField::Frequency));
            out += ',';
            out += PolarName(tp.Get(TpField::Polar));
            AppendNumber(out, tp.Get(TpField::SymbolRate));
        } else {
            out += ",,,";
        }
        for (const FieldDesc* f : {&ProgField::ServiceId, &ProgField::VPID, &ProgField::APID,
                                   &ProgField::PCRPID, &ProgField::PmtPid, &ProgField::Scramble,
                                   &ProgField::Lock, &ProgField::Skip, &ProgField::Hide, &ProgField::FavType})
            AppendNumber(out, rec.Get(*f));
        out += "\r\n";
    }
    return out;
}

CAccessCsvOut::CAccessCsvOut() : m_nCodePage(CodePage::GetAnsiCodePage()) {}

CAccessCsvOut::CAccessCsvOut(uint32_t nCodePage) : m_nCodePage(nCodePage) {}

bool CAccessCsvOut::SaveDb(const std::string& strPath, CProgDb* pDb)
{
    const std::string text = CsvText(*pDb, m_nCodePage);
    return WriteImageFile(strPath, text.data(), text.size());
}
