#pragma once

// Message boxes as the show asks for them. Every text also goes to standard
// error, so a user at a terminal sees it when no box can be shown.

// Buttons, icons and default button, combined with |.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_DEFBUTTON2 = 0x100;

// Results.
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class MessageBoxSink {
public:
    virtual ~MessageBoxSink() = default;
    virtual int Show(const char* text, const char* caption, unsigned style) = 0;
};

// Null puts the system's boxes back.
void SetMessageBoxSink(MessageBoxSink* sink);

// Modal, without owner window. When no box can be shown, the default button
// is the answer.
int MessageBoxA(const char* text, const char* caption, unsigned style);
