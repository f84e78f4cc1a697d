#pragma once

// The terminal behind standard error, where velon-cli draws its progress.
namespace terminal {

struct Size
{
    int columns = 80;
    int rows = 24;
};

// Standard error is a terminal that takes the progress lines' escape sequences.
bool isTerminal();
// The terminal's size; 80 x 24 when it does not say.
Size size();
// A Windows console shows the program's UTF-8 as UTF-8 (and its escape sequences) until the program ends;
// elsewhere nothing to do.
void prepare();

} // namespace terminal
