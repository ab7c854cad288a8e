#pragma once

#include <cstdint>
#include <string>

// Where the user database of a firmware image lies: asked before an image is read.
// The editor answers with the "UserDb Config" dialog, ravelin-cli with --addr, tests with fixed
// answers. 0 means "Auto"; a cancelled dialog also answers 0.
class IUserDbAddrSource
{
public:
    virtual ~IUserDbAddrSource() = default;
    virtual uint32_t AskUserDbAddr() = 0;
};

// A source that always gives the same address.
class CFixedUserDbAddr : public IUserDbAddrSource
{
public:
    explicit CFixedUserDbAddr(uint32_t nAddr) : m_nAddr(nAddr) {}
    uint32_t AskUserDbAddr() override { return m_nAddr; }

private:
    uint32_t m_nAddr;
};
