#include "platform/process.h"

std::string joinCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"') {
            line += argument;
            continue;
        }
        std::string escaped;
        for (char c : argument) {
            if (c == '"')
                escaped += '\\';
            escaped += c;
        }
        if (!argument.empty() && argument.find_first_of(" \t") == std::string::npos) {
            line += escaped;
            continue;
        }
        // "C:\dir with blank\" would read as an escaped quote.
        const std::size_t last = escaped.find_last_not_of('\\');
        const std::size_t trailing = last == std::string::npos ? escaped.size() : escaped.size() - last - 1;
        line += '"' + escaped + std::string(trailing, '\\') + '"';
    }
    return line;
}

std::vector<std::string> splitCommandLine(const std::string& line)
{
    std::vector<std::string> arguments;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            return arguments;
        std::string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    // 2n backslashes and a quote: n backslashes, the quote
                    // opens or closes; 2n+1: n backslashes and a literal quote.
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(slashes, '\\');
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"'; // "" inside quotes: a literal quote
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            argument += line[i++];
        }
        arguments.push_back(argument);
    }
}
