#include "spectrum/io/mat_layout.h"

#include "platform/cp1251.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

namespace orbistan {

namespace {

// Forward-only bytes of one element's contents: a run of the file, or a compressed element
// inflated as it is read, so that checking a long record never holds it in memory.
class Bytes {
public:
    virtual ~Bytes() = default;
    // Exactly n bytes into `out`, or past them when `out` is null; false when the run ends
    // first.
    virtual bool take(unsigned char* out, std::uint64_t n) = 0;
};

// The file read through a buffer: the walk takes a few bytes at a time, and a seek and a
// read of the system for each made a file of many small variables slow to list.
class FileReader {
public:
    explicit FileReader(std::ifstream& in) : in_(in) {}
    bool read(std::uint64_t at, unsigned char* out, std::uint64_t n) {
        if (at >= start_ && n <= end_ - start_ && at - start_ <= end_ - start_ - n) {
            std::copy_n(buffer_.data() + (at - start_), n, out);
            return true;
        }
        if (n >= buffer_.size()) {
            return fetch(at, out, n);
        }
        start_ = end_ = at;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(at));
        in_.read(reinterpret_cast<char*>(buffer_.data()),
                 static_cast<std::streamsize>(buffer_.size()));
        end_ = at + static_cast<std::uint64_t>(in_.gcount());
        if (end_ - start_ < n) {
            return false;
        }
        std::copy_n(buffer_.data(), n, out);
        return true;
    }

private:
    bool fetch(std::uint64_t at, unsigned char* out, std::uint64_t n) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(at));
        return static_cast<bool>(
            in_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n)));
    }

    std::ifstream& in_;
    std::array<unsigned char, 65536> buffer_;
    std::uint64_t start_ = 0, end_ = 0;
};

class FileBytes : public Bytes {
public:
    FileBytes(FileReader& in, std::uint64_t at, std::uint64_t end) : in_(in), at_(at), end_(end) {}
    bool take(unsigned char* out, std::uint64_t n) override {
        if (n > end_ - at_ || (out && !in_.read(at_, out, n))) {
            return false;
        }
        at_ += n;
        return true;
    }

private:
    FileReader& in_;
    std::uint64_t at_, end_;
};

class InflatedBytes : public Bytes {
public:
    InflatedBytes(FileReader& in, std::uint64_t at, std::uint64_t end)
        : in_(in), at_(at), end_(end) {
        ok_ = inflateInit(&z_) == Z_OK;
    }
    ~InflatedBytes() override { inflateEnd(&z_); }
    InflatedBytes(const InflatedBytes&) = delete;
    InflatedBytes& operator=(const InflatedBytes&) = delete;

    bool take(unsigned char* out, std::uint64_t n) override {
        std::array<unsigned char, 16384> scratch;
        while (ok_ && n > 0) {
            const auto chunk = static_cast<uInt>(std::min<std::uint64_t>(n, scratch.size()));
            z_.next_out = out ? out : scratch.data();
            z_.avail_out = chunk;
            while (ok_ && z_.avail_out > 0) {
                step();
            }
            out = out ? out + chunk : nullptr;
            n -= chunk;
        }
        return ok_;
    }

private:
    // One call of inflate, fed from the file when its input is used up; a stream that ends,
    // fails or stops giving output ends the run.
    void step() {
        if (z_.avail_in == 0 && at_ < end_) {
            const auto size = std::min<std::uint64_t>(end_ - at_, input_.size());
            if (!in_.read(at_, input_.data(), size)) {
                ok_ = false;
                return;
            }
            at_ += size;
            z_.next_in = input_.data();
            z_.avail_in = static_cast<uInt>(size);
        }
        const uInt before = z_.avail_out;
        const int r = inflate(&z_, Z_NO_FLUSH);
        ok_ = (r == Z_OK || r == Z_STREAM_END) && z_.avail_out < before;
    }

    FileReader& in_;
    std::uint64_t at_, end_;
    z_stream z_{};
    bool ok_ = false;
    std::array<unsigned char, 65536> input_;
};

// A tagged element: its type and byte count, and for a small element (both packed with up
// to four bytes of data into 8 bytes) the data itself.
struct Element {
    std::uint32_t type = 0;
    std::uint64_t bytes = 0, padding = 0;
    bool small = false;
    std::array<unsigned char, 4> data{};
};

std::size_t storedSize(std::uint32_t type) {
    switch (type) {
    case 1:
    case 2:
        return 1; // int8, uint8
    case 3:
    case 4:
        return 2; // int16, uint16
    case 5:
    case 6:
    case 7:
        return 4; // int32, uint32, single
    case 9:
    case 12:
    case 13:
        return 8; // double, int64, uint64
    default:
        return 0;
    }
}

// Beyond any array a file can hold, and far from overflowing a product of two.
constexpr std::uint64_t kMostValues = std::uint64_t(1) << 40;

constexpr std::uint32_t kMatrix = 14, kCompressed = 15, kInt8 = 1, kInt32 = 5, kUInt32 = 6;

// Walks a matrix element's sub-elements as matio will read them: array flags, dimensions,
// name, then the values, the cells or the fields (each a matrix again). Every count is
// checked against the bytes its element holds before anything allocates by it.
//
// On the way it lists the numeric vectors as matio would: top-level variables and the fields
// of 1×1 structs, nested to 8 levels, named by their path ("bearing.gs").
class Walker {
public:
    Walker(Bytes& in, bool swap, MatLayout* listing = nullptr, std::size_t element = 0)
        : in_(in), swap_(swap), listing_(listing), element_(element) {}

    // Empty when the matrix of `bytes` bytes is sound; else what is wrong, or "" in
    // `damaged` for a fault without a better name. It is listed under `as` (a field's path)
    // when given, under its own name when `top`.
    std::optional<std::string> matrix(std::uint64_t bytes, int depth, bool top = false,
                                      const std::string* as = nullptr) {
        if (depth > 16) {
            return std::string();
        }
        std::uint64_t left = bytes;
        const auto flags = read(left, kUInt32, 8, 8);
        const auto dims = flags ? read(left, kInt32, 8, 256) : std::nullopt;
        const auto name = dims ? read(left, kInt8, 0, 4096) : std::nullopt;
        if (!name || dims->size() % 4 != 0) {
            return std::string();
        }
        const std::uint32_t klass = word(flags->data()) & 0xff;
        const bool complex = (word(flags->data()) & 0x800) != 0;
        const std::string variable = as ? *as : std::string(name->begin(), name->end());
        const Dimensions d = dimensions(*dims, variable);
        if (!d.problem.empty()) {
            return d.problem;
        }
        const bool listed = listing_ && (top || as) && !variable.empty();
        const std::uint64_t count = d.count;
        const std::string& claim = d.claim;
        std::optional<std::string> problem;
        if (klass == 1) {
            problem = matrices(left, count, depth);
        } else if (klass == 2 || klass == 3) {
            const bool fieldsListed = listed && klass == 2 && count == 1 && depth < 8;
            problem = structure(left, count, klass == 3, depth, fieldsListed ? &variable : nullptr);
        } else if (klass >= 6 && klass <= 15) {
            if (listed && !complex) {
                listVector(variable, *dims);
            }
            problem = values(left, count, variable, claim);
            if (!problem && complex) {
                problem = values(left, count, variable, claim); // the imaginary part
            }
        }
        // What follows (a sparse matrix's indices, characters, …) only has to fit.
        return problem                   ? problem
               : in_.take(nullptr, left) ? std::nullopt
                                         : std::optional(std::string());
    }

    // How many values the dimensions promise (at most kMostValues), and how a message says
    // so; or what is wrong with them. They are signed, and their product is said as they
    // are when no file could hold it.
    struct Dimensions {
        std::uint64_t count = 1;
        std::string claim;
        std::string problem;
    };
    Dimensions dimensions(const std::vector<unsigned char>& dims,
                          const std::string& variable) const {
        Dimensions out;
        std::string text;
        bool beyond = false;
        for (std::size_t i = 0; i < dims.size(); i += 4) {
            const auto d = static_cast<std::int32_t>(word(dims.data() + i));
            if (d < 0) {
                out.problem = "переменная «" + visibleText(variable) + "»: её размер " +
                              std::to_string(d) + " отрицателен";
                return out;
            }
            const auto u = static_cast<std::uint64_t>(d);
            beyond |= u != 0 && out.count > kMostValues / u;
            out.count = u != 0 && out.count > kMostValues / u ? kMostValues : out.count * u;
            text += (text.empty() ? "" : " × ") + std::to_string(d);
        }
        out.claim = beyond ? "её размеры " + text +
                                 " обещают больше значений, чем вмещает "
                                 "любой файл"
                           : "её размеры обещают " + std::to_string(out.count) + " значений";
        return out;
    }

    // The next element, which must be a matrix; its byte count, its tag taken.
    std::optional<std::uint64_t> matrixTag(std::uint64_t& left) {
        const std::optional<Element> e = element(left);
        return e && e->type == kMatrix && !e->small ? std::optional(e->bytes) : std::nullopt;
    }

private:
    // A numeric array of two dimensions, one of them 1, is a vector of the listing.
    void listVector(const std::string& variable, const std::vector<unsigned char>& dims) {
        if (dims.size() != 8) {
            return;
        }
        const auto rows = word(dims.data()), columns = word(dims.data() + 4);
        if (const std::uint64_t length = rows == 1 ? columns : columns == 1 ? rows : 0) {
            listing_->vectors.push_back({variable, static_cast<std::size_t>(length)});
            listing_->elementOf.push_back(element_);
        }
    }

    std::uint32_t word(const unsigned char* b) const {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= std::uint32_t(b[swap_ ? 3 - i : i]) << (8 * i);
        }
        return v;
    }

    // The next element's tag, within `left` bytes, its data still to be taken.
    std::optional<Element> element(std::uint64_t& left) {
        unsigned char tag[8];
        if (left < 8 || !in_.take(tag, 8)) {
            return std::nullopt;
        }
        left -= 8;
        Element e;
        e.type = word(tag);
        if ((e.type >> 16) != 0) {
            e.small = true;
            e.bytes = e.type >> 16;
            e.type &= 0xffff;
            std::copy(tag + 4, tag + 8, e.data.begin());
            return e.bytes <= 4 ? std::optional(e) : std::nullopt;
        }
        e.bytes = word(tag + 4);
        if (e.bytes > left) {
            return std::nullopt;
        }
        // Padded to 8 bytes; a writer may leave the last element's padding out.
        e.padding = std::min<std::uint64_t>((8 - e.bytes % 8) % 8, left - e.bytes);
        return e;
    }

    // Whatever data the element holds after its tag, and its padding, taken.
    bool skip(const Element& e, std::uint64_t& left) {
        if (e.small) {
            return true;
        }
        left -= e.bytes + e.padding;
        return in_.take(nullptr, e.bytes + e.padding);
    }

    // The next element's data, of the given type and a size within bounds.
    std::optional<std::vector<unsigned char>> read(std::uint64_t& left, std::uint32_t type,
                                                   std::uint64_t least, std::uint64_t most) {
        const std::optional<Element> e = element(left);
        if (!e || e->type != type || e->bytes < least || e->bytes > most) {
            return std::nullopt;
        }
        if (e->small) {
            return std::vector<unsigned char>(e->data.begin(), e->data.begin() + e->bytes);
        }
        std::vector<unsigned char> data(e->bytes);
        left -= e->bytes + e->padding;
        if (!in_.take(data.data(), e->bytes) || !in_.take(nullptr, e->padding)) {
            return std::nullopt;
        }
        return data;
    }

    // A numeric part: as many values as the dimensions promise.
    std::optional<std::string> values(std::uint64_t& left, std::uint64_t count,
                                      const std::string& variable, const std::string& claim) {
        const std::optional<Element> e = element(left);
        if (!e || storedSize(e->type) == 0) {
            return std::string();
        }
        const std::uint64_t held = e->bytes / storedSize(e->type);
        if (held < count) {
            return "переменная «" + visibleText(variable) + "»: " + claim + ", а в файле их " +
                   std::to_string(held);
        }
        return skip(*e, left) ? std::nullopt : std::optional(std::string());
    }

    // `count` matrices, each at least a tag long; listed under the paths `as` when given.
    std::optional<std::string> matrices(std::uint64_t& left, std::uint64_t count, int depth,
                                        const std::vector<std::string>* as = nullptr) {
        if (count > left / 8) {
            return std::string();
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::optional<std::uint64_t> bytes = matrixTag(left);
            if (!bytes) {
                return std::string();
            }
            left -= *bytes;
            if (auto problem = matrix(*bytes, depth + 1, false, as ? &(*as)[i] : nullptr)) {
                return problem;
            }
            const std::uint64_t padding = std::min<std::uint64_t>((8 - *bytes % 8) % 8, left);
            left -= padding;
            if (!in_.take(nullptr, padding)) {
                return std::string();
            }
        }
        return std::nullopt;
    }

    // A struct (or an object, which first names its class): the length of a field's name,
    // the names, then each element's fields.
    // The fields of a 1×1 struct are listed under `as` and their names.
    std::optional<std::string> structure(std::uint64_t& left, std::uint64_t count, bool object,
                                         int depth, const std::string* as) {
        if (object && !read(left, kInt8, 0, 4096)) {
            return std::string();
        }
        const auto length = read(left, kInt32, 4, 4);
        const auto names = length ? read(left, kInt8, 0, left) : std::nullopt;
        const std::uint32_t each = length ? word(length->data()) : 0;
        if (!names || (each == 0 && !names->empty()) || each > 4096) {
            return std::string();
        }
        const std::uint64_t fields = each == 0 ? 0 : names->size() / each;
        if (fields == 0) {
            return std::nullopt;
        }
        if (count > left / 8 / fields) {
            return std::string();
        }
        std::vector<std::string> paths;
        for (std::uint64_t i = 0; as && i < fields; ++i) {
            const auto* first = names->data() + i * each;
            paths.push_back(*as + "." + std::string(first, std::find(first, first + each, '\0')));
        }
        return matrices(left, fields * count, depth, as ? &paths : nullptr);
    }

    Bytes& in_;
    bool swap_;
    MatLayout* listing_;
    std::size_t element_; // the top-level variable walked, an index into listing_->elements
};

// A version 5 file: a 128-byte header and a run of variables, each a matrix or a compressed
// one, listed into `layout`. Empty when all are sound.
std::string walkVersion5(std::ifstream& stream, std::uint64_t size, bool swap, MatLayout& layout) {
    FileReader in(stream);
    for (std::uint64_t at = 128; at < size;) {
        FileBytes file(in, at, size);
        std::uint64_t left = size - at;
        unsigned char tag[8];
        if (left < 8 || !file.take(tag, 8)) {
            return "файл обрывается: переменная с байта " + std::to_string(at) + " не дописана";
        }
        std::uint32_t type = 0, bytes = 0;
        for (int i = 0; i < 4; ++i) {
            type |= std::uint32_t(tag[swap ? 3 - i : i]) << (8 * i);
            bytes |= std::uint32_t(tag[swap ? 7 - i : 4 + i]) << (8 * i);
        }
        // A file's variables are matrices or compressed ones: anything else is damage that
        // matio would read as sizes.
        if (type != kMatrix && type != kCompressed) {
            return "элемент с байта " + std::to_string(at) + " не переменная (тип " +
                   std::to_string(type & 0xffff) + ")";
        }
        if (bytes > left - 8) {
            return "файл обрывается: переменная с байта " + std::to_string(at) + " не дописана";
        }
        const std::size_t element = layout.elements.size();
        layout.elements.push_back({at, 8 + std::uint64_t(bytes), type == kMatrix});
        std::optional<std::string> problem;
        if (type == kMatrix) {
            Walker top(file, swap, &layout, element);
            problem = top.matrix(bytes, 0, true);
        } else {
            // Deflate gives at most 1032 bytes for one: a matrix claiming more lies.
            InflatedBytes inflated(in, at + 8, at + 8 + bytes);
            Walker inner(inflated, swap, &layout, element);
            std::uint64_t claimed = std::uint64_t(bytes) * 1032 + 64;
            const std::optional<std::uint64_t> matrix = inner.matrixTag(claimed);
            problem = matrix ? inner.matrix(*matrix, 0, true) : std::optional(std::string());
        }
        if (problem) {
            return problem->empty() ? "переменная с байта " + std::to_string(at) + " повреждена"
                                    : *problem;
        }
        at += 8 + (type == kCompressed ? bytes : (std::uint64_t(bytes) + 7) / 8 * 8);
    }
    return {};
}

// A version 4 file is a run of matrices, each a 20-byte header (type, rows, columns,
// imaginary flag, name length), the name and the data: matio allocates what the header
// says before it reads, so each must fit in the file. Empty when all do.
std::string damagedVersion4(std::ifstream& in, std::uint64_t size) {
    for (std::uint64_t at = 0; at < size;) {
        unsigned char h[20];
        in.clear();
        in.seekg(static_cast<std::streamoff>(at));
        if (at + 20 > size || !in.read(reinterpret_cast<char*>(h), 20)) {
            return "файл обрывается: переменная с байта " + std::to_string(at) + " не дописана";
        }
        const auto word = [&h](int i, bool big) {
            std::uint32_t v = 0;
            for (int b = 0; b < 4; ++b) {
                v |= std::uint32_t(h[4 * i + (big ? 3 - b : b)]) << (8 * b);
            }
            return v;
        };
        // As matio reads it: little-endian when that gives a valid type, else big-endian.
        const auto valid = [](std::uint32_t t) {
            return t % 10 <= 2 && (t / 10) % 10 <= 5 && (t / 100) % 10 == 0 && t / 1000 <= 4;
        };
        const bool big = !valid(word(0, false));
        const std::uint32_t type = word(0, big);
        static constexpr std::uint64_t kSizes[] = {8, 4, 4, 2, 2, 1};
        const std::uint32_t precision = (type / 10) % 10;
        if (!valid(type)) {
            return "переменная с байта " + std::to_string(at) + ": заголовок не читается";
        }
        const std::uint64_t count = std::uint64_t(word(1, big)) * word(2, big);
        const std::uint64_t bytes = 20 + std::uint64_t(word(4, big)) +
                                    count * kSizes[precision] * (word(3, big) != 0 ? 2 : 1);
        if (word(4, big) > 4096 || at + bytes > size) {
            return "файл обрывается: переменная с байта " + std::to_string(at) + " не дописана";
        }
        at += bytes;
    }
    return {};
}

// A version 7.3 file is HDF5 behind a 512-byte header: its superblock (version 0 to 3) says
// how long the file is, and a file cut short, or without the signature, is refused before
// the HDF5 library reads it. Empty when it holds what it says.
std::string damagedVersion73(std::ifstream& in, std::uint64_t size) {
    unsigned char b[64] = {};
    in.clear();
    in.seekg(512);
    if (!in.read(reinterpret_cast<char*>(b), sizeof b) ||
        std::string_view(reinterpret_cast<const char*>(b), 8) != "\x89HDF\r\n\x1a\n") {
        return "после заголовка MATLAB 7.3 нет данных HDF5";
    }
    const unsigned version = b[8];
    const unsigned offsets = version >= 2 ? b[9] : b[13];
    const std::size_t base = version >= 2 ? 12 : version == 1 ? 28 : 24;
    if (version > 3 || (offsets != 2 && offsets != 4 && offsets != 8)) {
        return "заголовок HDF5 не читается";
    }
    std::uint64_t end = 0; // the end-of-file address, after the base and one more address
    for (unsigned i = 0; i < offsets; ++i) {
        end |= std::uint64_t(b[base + 2 * offsets + i]) << (8 * i);
    }
    if (end > size) {
        return "файл обрывается: по заголовку HDF5 в нём " + std::to_string(end) + " байт, а их " +
               std::to_string(size);
    }
    return {};
}

} // namespace

MatVersion matVersion(std::string_view header) {
    if (header.size() < 128) {
        return MatVersion::V4;
    }
    const auto byte = [&header](std::size_t i) {
        return unsigned(static_cast<unsigned char>(header[i]));
    };
    unsigned version = 0;
    if (header[126] == 'I' && header[127] == 'M') {
        version = byte(124) | byte(125) << 8;
    } else if (header[126] == 'M' && header[127] == 'I') {
        version = byte(124) << 8 | byte(125);
    }
    return version == 0x0200   ? MatVersion::V73
           : version == 0x0100 ? MatVersion::V5
                               : MatVersion::V4;
}

MatLayout matLayout(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
    char header[128] = {};
    in.seekg(0);
    in.read(header, sizeof header);
    MatLayout layout;
    layout.version = matVersion(std::string_view(header, static_cast<std::size_t>(in.gcount())));
    switch (layout.version) {
    case MatVersion::V73:
        layout.problem = damagedVersion73(in, size);
        break;
    case MatVersion::V5:
        layout.problem = walkVersion5(in, size, header[126] == 'M' && header[127] == 'I', layout);
        break;
    case MatVersion::V4:
        layout.problem = damagedVersion4(in, size);
        break;
    }
    return layout;
}

} // namespace orbistan
