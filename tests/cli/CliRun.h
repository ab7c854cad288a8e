#pragma once

// Runs a built command-line binary and captures its exit status and output.

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

struct CliResult
{
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

inline std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

// Runs strBinary with args in the folder strWorkDir (stdin from /dev/null).
inline CliResult RunBinary(const std::string& strBinary, const std::vector<std::string>& args,
                           const std::string& strWorkDir, const std::string& strEnv = "")
{
    const std::string out = strWorkDir + "/.stdout", err = strWorkDir + "/.stderr";
    std::string cmd = "cd " + ShellQuote(strWorkDir) + " && " + strEnv + " " + ShellQuote(strBinary);
    for (const std::string& a : args)
        cmd += " " + ShellQuote(a);
    cmd += " </dev/null >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    int status = std::system(cmd.c_str());
    CliResult r;
    r.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto slurp = [](const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    r.strOut = slurp(out);
    r.strErr = slurp(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    return r;
}

#ifdef RAVELIN_CLI_PATH
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& strWorkDir,
                        const std::string& strEnv = "")
{
    return RunBinary(RAVELIN_CLI_PATH, args, strWorkDir, strEnv);
}
#endif
