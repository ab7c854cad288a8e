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
    // After a LoadDb that returned true but added no record: a note telling the user where nothing
    // was found, or empty when an empty result needs no word (the default).
    virtual std::string DescribeEmptyResult() const { return std::string(); }
};

// Exporter: writes a non-empty database to one external form. Adds and removes no records.
class CAccessOut
{
public:
    virtual ~CAccessOut() = default;
    virtual bool SaveDb(const std::string& strPath, CProgDb* pDb) = 0;
};
