#include "platform/null/RecordingConsole.h"

#include <iostream>

void cRecordingConsole::SetTextAttribute(tAttribute attribute) {
    std::cout << '{' << attribute << '}';
}
