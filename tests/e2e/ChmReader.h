#pragma once
// An independent reader of compiled help files for the tests, on chmlib; kept apart from the automation headers,
// whose BSTR chmlib's header would also like to define.

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ChmReader {
public:
    static std::unique_ptr<ChmReader> Open(const std::string& path);
    ~ChmReader();

    // Every file name, e.g. "/0.html", "/0.files/image001.png", "/Manual.hhc".
    std::vector<std::string> List() const;
    std::optional<std::string> Read(const std::string& name) const;

private:
    explicit ChmReader(struct chmFile* file) : file_(file) {}
    struct chmFile* file_;
};
