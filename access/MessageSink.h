#pragma once

#include <string>

// Where an access class shows a message box of its own. The GUI passes one that opens a real
// message box, the command-line tool one that prints, tests one that records.
class IMessageSink
{
public:
    enum Icon
    {
        ICON_NONE,
        ICON_ERROR,
        ICON_WARNING,
        ICON_INFORMATION,
    };

    virtual ~IMessageSink() = default;
    virtual void ShowMessage(const std::string& strText, const std::string& strCaption, Icon nIcon) = 0;
};

// The application's name, the caption of message boxes that carry no caption of their own.
inline constexpr const char* APP_NAME = "Ravelin";
