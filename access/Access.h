#pragma once

#include <string>

class CProgDb;

// Importer: fills a database (emptied by the caller) from one external form. Returns false after
// storing a message with SetLastErrorMsg (or, for some classes, without one).
class CAccessIn
{
public:
    virtual ~CAccessIn() = default;
    virtual bool LoadDb(const std::string& strPath, CProgDb* pDb) = 0;
};

// Exporter: writes a non-empty database to one external form. Adds and removes no records.
class CAccessOut
{
public:
    virtual ~CAccessOut() = default;
    virtual bool SaveDb(const std::string& strPath, CProgDb* pDb) = 0;
};
