// cmd_builders.cpp - `builders`: the scene builder reference (docs/builders.md), read from the
// builders' own declarations and comments in data/scene_build.h.
//
//     qz001-tool builders --out docs/builders.md [--header data/scene_build.h]
//
// The header's "Builders" section (from its banner to the next one) is read declaration by
// declaration: each function is a builder (its comment, its arguments without the call place the
// compiler fills, and the node operations its body makes); each type or constant beside them is an
// argument's type. A builder without a comment is refused, naming it: the page would not say what it
// makes. A test checks that the committed page is what this writes now.
#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "director/node_info.h"
#include "tools/qz001-tool/tool.h"

namespace {

struct Declaration {
    std::string name;
    std::string comment; // its comment lines, joined by spaces
    std::string text;    // a builder: its call; otherwise the declaration as written
    std::string makes;   // a builder: the kOp names in its body, in order, space-separated
    bool builder;
    int line;
};

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// The word after `constexpr Type ` or `struct`, `enum`, `inline constexpr Type `: the declared name.
std::string declaredName(const std::string& line) {
    size_t end = line.find_first_of("(:{=;");
    std::string head = line.substr(0, end);
    while (!head.empty() && std::isspace((unsigned char)head.back())) head.pop_back();
    const size_t start = head.find_last_of(' ');
    return start == std::string::npos ? head : head.substr(start + 1);
}

// The call a builder's signature allows, on one line, without the call place the compiler fills:
// "constexpr PlacedNode beat(int bin, float gain, CallPlace at = ...) {" -> "beat(int bin, float gain)".
std::string callOf(const std::string& signature, const std::string& name) {
    std::string s;
    for (char c : signature.substr(signature.find(name + "("))) {
        if (std::isspace((unsigned char)c)) c = ' ';
        if (c != ' ' || (!s.empty() && s.back() != ' ' && s.back() != '(')) s += c;
    }
    s = s.substr(0, s.rfind(')') + 1);
    for (const char* place : {", CallPlace at = CallPlace::current()", "CallPlace at = CallPlace::current()"})
        if (size_t at = s.find(place); at != std::string::npos) s.erase(at, std::string(place).size());
    return s;
}

// Adds each kOp name of a line of the builder's body to what it makes, once.
void addMade(Declaration& d, const std::string& line) {
    for (size_t at = line.find("kOp"); at != std::string::npos; at = line.find("kOp", at + 3)) {
        size_t end = at;
        while (end < line.size() && (std::isalnum((unsigned char)line[end]) || line[end] == '_')) ++end;
        const std::string op = line.substr(at, end - at);
        if (op != "kOp" && (" " + d.makes + " ").find(" " + op + " ") == std::string::npos)
            d.makes += (d.makes.empty() ? "" : " ") + op;
    }
}

// Reads one declaration starting at lines[i], leaving i on its last line: a builder's signature and
// body, or a type or constant as written.
Declaration readDeclaration(const std::vector<std::string>& lines, size_t& i, const std::string& comment) {
    const std::string& first = lines[i];
    const size_t paren = first.find('(');
    Declaration d{declaredName(first),
                  comment,
                  "",
                  "",
                  startsWith(first, "constexpr") && paren < first.find_first_of("=;"),
                  int(i) + 1};
    std::string text = first;
    if (d.builder) {
        while (text.back() != '{' && i + 1 < lines.size()) text += "\n" + lines[++i];
        d.text = callOf(text, d.name);
        while (i + 1 < lines.size() && lines[i] != "}") addMade(d, lines[++i]);
        return d;
    }
    const bool braces = first.find('{') != std::string::npos && first.find('}') == std::string::npos;
    while (i + 1 < lines.size() && (braces ? !startsWith(lines[i], "}") : text.back() != ';'))
        text += "\n" + lines[++i];
    d.text = text;
    return d;
}

// Reads the declarations of the Builders section; false with an error naming the file otherwise.
bool readBuilders(const std::string& path, std::vector<Declaration>& out) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    size_t i = 0;
    while (i < lines.size() && !startsWith(lines[i], "// Builders")) ++i;
    if (i == lines.size()) {
        toolError("%s: no \"// Builders\" section (or no such file)", path.c_str());
        return false;
    }
    std::string comment;
    for (i += 2; i < lines.size() && !startsWith(lines[i], "//---"); ++i) {
        const std::string& l = lines[i];
        if (startsWith(l, "//")) {
            comment += (comment.empty() ? "" : " ") + l.substr(l.size() > 2 && l[2] == ' ' ? 3 : 2);
            continue;
        }
        if (!l.empty()) out.push_back(readDeclaration(lines, i, comment));
        comment.clear();
        if (!out.empty() && out.back().builder && out.back().comment.empty()) {
            toolError("%s:%d: builder %s has no comment saying what it makes", path.c_str(), out.back().line,
                      out.back().name.c_str());
            return false;
        }
    }
    return true;
}

// "kOpCircle" -> "[`kOpCircle`](operations.md#16-circle)", the operation's heading there.
std::string operationLink(const std::string& op) {
    for (int v = 1; v < kNodeOpCount; ++v) {
        const char* name = enumName(kNodeOpNames, v);
        if (!name || op != name) continue;
        std::string anchor = std::to_string(v) + "-";
        for (const char* c = name + 3; *c; ++c) anchor += (char)std::tolower((unsigned char)*c);
        return "[`" + op + "`](operations.md#" + anchor + ")";
    }
    return "`" + op + "`";
}

bool writeBuildersDoc(FILE* f, const std::vector<Declaration>& all) {
    std::fprintf(f, "# Scene builders\n\n"
                    "The functions a scene file (`data/scene_*.cpp`) fills its slots with, one call a slot "
                    "(`s[kCube] = drawMesh(...)`; `addOrbitingEye` fills four). Each also takes the place of "
                    "its call, a default argument the compiler fills and a scene never writes: the edit mode "
                    "writes a changed value back there. How a scene file is laid out: "
                    "[the show, scene by scene](scenes.md); what each operation computes: "
                    "[the operation reference](operations.md); the meshes a draw names: "
                    "[the meshes](meshes.md).\n\n"
                    "This page is generated from `data/scene_build.h` (`qz001-tool builders --out "
                    "docs/builders.md`); a test checks it is up to date.\n");
    for (const Declaration& d : all) {
        if (!d.builder) continue;
        std::fprintf(f, "\n## %s\n\n    %s\n\n%s\n", d.name.c_str(), d.text.c_str(), d.comment.c_str());
        std::string made;
        std::istringstream ops(d.makes);
        for (std::string op; ops >> op;) made += (made.empty() ? "" : ", ") + operationLink(op);
        std::fprintf(f, "\nMakes: %s.\n", made.empty() ? "the operation it is given" : made.c_str());
    }
    std::fprintf(f, "\n## Argument types and constants\n");
    for (const Declaration& d : all) {
        if (d.builder) continue;
        std::fprintf(f, "\n### %s\n\n", d.name.c_str());
        if (!d.comment.empty()) std::fprintf(f, "%s\n\n", d.comment.c_str());
        std::istringstream text(d.text);
        for (std::string l; std::getline(text, l);) std::fprintf(f, "    %s\n", l.c_str());
    }
    return !std::ferror(f);
}

int runBuilders(const std::string& header, const std::string& out) {
    std::vector<Declaration> all;
    if (!readBuilders(header, all)) return 1;
    return writeToolFile(out, [&](FILE* f) { return writeBuildersDoc(f, all); }) ? 0 : 1;
}

} // namespace

void addBuildersCommands(CLI::App& app, ToolCommands& commands) {
    static std::string header = "data/scene_build.h", out;
    CLI::App* builders = app.add_subcommand("builders", "Write the scene builder reference (Markdown)");
    builders->add_option("--out", out, "Markdown file to write (docs/builders.md)")->required();
    builders->add_option("--header", header, "the builders' header (default data/scene_build.h)");
    addToolCommand(commands, builders, [] { return runBuilders(header, out); });
}
