#pragma once
#include <exception>

// Thrown by the frame's constructor when start-up cannot go on; the application
// then ends without a main window. The user has been told why already (or chose
// to cancel), so it carries no text.
class configError : public std::exception {
public:
    const char* what() const noexcept override { return "configError"; }
};
