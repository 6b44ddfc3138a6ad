#pragma once
// The texts of recordings, kept compactly: a year of calls on many lines is
// millions of records, and a std::map of two std::strings per call would cost
// more than the calls themselves.
//
// - Labels (callers' numbers) repeat from call to call; they live once in a
//   process-wide pool and a recording holds their offset.
// - File names lie in the catalog's own folder as a rule; each catalog's names
//   share one block (`recordingTexts`), which stores the common folder once.
//
// A recording's properties hold a counted reference to their block, so a copy
// of a recording stays valid when its timeline is gone.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class recordingTexts {
public:
    // The folder part every relative name is read against (with its trailing
    // separator), and the names, each ended by a NUL byte.
    std::string folder;
    std::string names;

    // Appends a name; returns its reference for recordingProperties: the
    // offset in `names`, with relativeName set when `folder` was left off.
    std::uint32_t addName(const std::string& name);
    // Appends a text as it is (never relative).
    std::uint32_t addText(const std::string& text);
    std::string name(std::uint32_t reference) const;

    static constexpr std::uint32_t relativeName = 0x80000000u;

private:
    friend class recordingProperties;
    mutable std::atomic<std::uint32_t> references{0};
};

// Interns a label in the process-wide pool (thread-safe) and returns its
// offset; `label` returns the text of an offset. Short labels only: a longer
// text is kept with the catalog's names instead (see recordingProperties).
namespace labelPool {
constexpr std::size_t longestLabel = 255;
std::uint32_t intern(const std::string& label);
// Interns many at once under one lock: offsets[i] for labels[i].
void internAll(const std::vector<std::string>& labels, std::vector<std::uint32_t>& offsets);
const char* text(std::uint32_t offset);
}

class recordingProperties {
public:
    recordingProperties() = default;
    recordingProperties(const recordingProperties& other);
    recordingProperties& operator=(const recordingProperties& other);
    recordingProperties(recordingProperties&& other) noexcept;
    recordingProperties& operator=(recordingProperties&& other) noexcept;
    ~recordingProperties();

    // "label" and "filename" (by name, or each on its own); the empty string
    // for a property not set.
    std::string get(const std::string& key) const;
    std::string labelText() const;
    std::string fileNameText() const;
    std::size_t count(const std::string& key) const;
    std::size_t size() const { return count("label") + count("filename"); }

    // For records made by hand (tests, tools): properties["label"] = "...".
    // Other keys are not kept.
    class setter {
    public:
        setter(recordingProperties& owner_, std::string key_) : owner(owner_), key(std::move(key_)) {}
        setter& operator=(const std::string& value)
        {
            owner.set(key, value);
            return *this;
        }

    private:
        recordingProperties& owner;
        std::string key;
    };
    setter operator[](const std::string& key) { return setter(*this, key); }
    void set(const std::string& key, const std::string& value);

    // How catalogs fill them: a block shared by a catalog's recordings, a
    // name reference of that block (or none) and a label reference (or none).
    void assign(const recordingTexts* block, std::uint32_t nameReference, std::uint32_t labelReference);

    // A label reference with this bit is a name reference in the block (for
    // labels longer than the pool takes); without it, a pool offset.
    static constexpr std::uint32_t labelInNames = 0x40000000u;
    static constexpr std::uint32_t none = 0xFFFFFFFFu;

    const recordingTexts* block() const { return texts; }
    std::uint32_t nameReference() const { return fileName; }
    std::uint32_t labelReference() const { return label; }

private:
    void hold(const recordingTexts* block);
    void release();

    const recordingTexts* texts = nullptr;
    std::uint32_t label = none;
    std::uint32_t fileName = none;
};
