#pragma once

#include "access/Access.h"

class IMessageSink;

// Importer that ignores its path and appends a fixed sample: two satellites, two transponders of
// the first satellite and two programs of its first transponder. Never fails.
class CAccessDummyIn : public CAccessIn
{
public:
    bool LoadDb(const std::string& strPath, CProgDb* pDb) override;
};

// Exporter that writes nothing: it only shows that it was called, through the message sink.
class CAccessDummyOut : public CAccessOut
{
public:
    explicit CAccessDummyOut(IMessageSink& sink) : m_sink(sink) {}
    bool SaveDb(const std::string& strPath, CProgDb* pDb) override;

private:
    IMessageSink& m_sink;
};
