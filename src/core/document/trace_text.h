#pragma once

#include <string>

#include "byte_string.h"

class FrontEnd;

// The text one trace write appends. The bytes are shown in the form the settings choose, read
// anew on every call: "UserInterface"/"HexTrace" off gives the symbol form ([CR], other bytes
// as themselves); on, with "HexTrace2" on, every byte as [xHH]; on, with "HexTrace2" off, every
// byte as two hexadecimal digits and a blank. Sent data (isRx false) starts with "<-- ";
// endLine adds "\r\n".
std::string TraceText(const ByteString& bytes, bool isRx, bool endLine);

// The one way data reaches the trace: appends TraceText to the front-end's trace.
void WriteTrace(FrontEnd& frontEnd, const ByteString& bytes, bool isRx, bool endLine);
