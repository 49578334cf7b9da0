#include "error.h"

namespace rt {

std::string errorDescription(int number)
{
    switch (number) {
    case InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case Overflow:
        return "Overflow";
    case OutOfMemory:
        return "Out of memory";
    case InvalidPropertyValue:
        return "Invalid property value";
    }
    return "Application-defined or object-defined error";
}

void raiseError(int number)
{
    throw RuntimeError{number, errorDescription(number)};
}

} // namespace rt
