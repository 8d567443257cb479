#include "platform/posix/PortableCollation.h"

#include <array>
#include <cstdint>

namespace wayloom {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// 0: white space, punctuation and symbols; 1: digits; 2: letters and everything else.
int Rank(char16_t c) {
  if (c < 0x80) {
    if (IsDigit(c)) return 1;
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return 2;
    return 0;
  }
  if (c <= 0xBF || c == 0xD7 || c == 0xF7) return 0;    // Latin-1 punctuation and signs
  if (c >= 0x2000 && c <= 0x206F) return 0;             // general punctuation
  if (c >= 0x3000 && c <= 0x303F) return 0;             // CJK symbols and punctuation
  if ((c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) ||
      (c >= 0xFF5B && c <= 0xFF65))
    return 0;                                           // full-width punctuation
  return 2;
}

char16_t Fold(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<char16_t>(c | 1);
  if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && (c & 1)) return static_cast<char16_t>(c + 1);
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);
  return c;
}

// The order of a character without regard to case: its rank, then its folded form.
std::uint32_t Weight(char16_t c) { return static_cast<std::uint32_t>(Rank(c)) << 16 | Fold(c); }

// Weights of the ASCII characters, looked up rather than worked out.
struct AsciiWeights {
  std::array<std::uint32_t, 128> weights{};
  AsciiWeights() {
    for (char16_t c = 0; c < 128; ++c) weights[c] = Weight(c);
  }
};
const AsciiWeights kAscii;

std::uint32_t FastWeight(char16_t c) { return c < 128 ? kAscii.weights[c] : Weight(c); }

int CompareUncased(char16_t a, char16_t b) {
  if (a == b) return 0;
  const std::uint32_t weightA = FastWeight(a), weightB = FastWeight(b);
  return weightA == weightB ? 0 : weightA < weightB ? -1 : 1;
}

// Writes fields of a few bits into the prefix's 192 bits, from the top down.
class PrefixWriter {
 public:
  static constexpr unsigned kBits = 192;

  // value has at most bits bits (1..63). A field that does not fit whole keeps its top
  // bits, as many as are left, and Put returns false: two texts alike up to the field then
  // still differ there in the field's order, or tie, but the cut never looks like an end
  // of text that would sort before the other's field.
  bool Put(std::uint64_t value, unsigned bits) {
    const bool whole = used_ + bits <= kBits;
    if (!whole) {
      const unsigned left = kBits - used_;
      if (left == 0) return false;
      value >>= bits - left;
      bits = left;
    }
    const unsigned word = used_ / 64, offset = used_ % 64;
    if (offset + bits <= 64) {
      prefix_.words[word] |= value << (64 - offset - bits);
    } else {
      const unsigned spill = offset + bits - 64;
      prefix_.words[word] |= value >> spill;
      prefix_.words[word + 1] |= value << (64 - spill);
    }
    used_ += bits;
    return whole;
  }
  CollationPrefix Prefix() const { return prefix_; }

 private:
  CollationPrefix prefix_;
  unsigned used_ = 0;
};

// The code of one character (never a digit): a class tag, then the character within its
// class. The classes follow the logical order (digit runs; spaces and punctuation, ASCII
// first; letters, ASCII first), so the bit order of two codes is their order, and no code
// is the start of another. All zero bits, the end of the text, come before every code.
bool PutCharacter(PrefixWriter& writer, char16_t c) {
  const std::uint32_t weight = FastWeight(c);
  const std::uint32_t fold = weight & 0xFFFF;
  if (weight >> 16 == 0) {
    return fold < 0x80 ? writer.Put(0b100u << 8 | (fold + 1), 11) : writer.Put(0b101u << 16 | fold, 19);
  }
  if (fold >= u'a' && fold <= u'z') return writer.Put(0b110u << 5 | (fold - u'a'), 8);
  return writer.Put(0b111u << 16 | fold, 19);
}

constexpr std::uint64_t kDigitRunTag = 0b01;
constexpr unsigned kLengthBits = 5;
constexpr std::size_t kLongRun = 31;  // a run this long or longer ends the prefix

}  // namespace

CollationPrefix PortableCollation::LogicalPrefix(TextView text) const {
  // Two texts alike up to some field have the same bits up to there, and the first
  // differing field decides as the comparison would, or ties when it is cut too short.
  PrefixWriter writer;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsDigit(text[i])) {
      if (!PutCharacter(writer, text[i])) break;
      ++i;
      continue;
    }
    std::size_t start = i;
    while (start < text.size() && text[start] == u'0') ++start;
    std::size_t end = start;
    while (end < text.size() && IsDigit(text[end])) ++end;
    const std::size_t length = end - start;
    if (!writer.Put(kDigitRunTag, 2)) break;
    if (!writer.Put(length < kLongRun ? length : kLongRun, kLengthBits) || length >= kLongRun) break;
    bool full = false;
    for (std::size_t k = start; k < end && !full; ++k) full = !writer.Put(static_cast<std::uint64_t>(text[k] - u'0'), 4);
    if (full) break;
    i = end;
  }
  return writer.Prefix();
}

int PortableCollation::CompareLogical(TextView a, TextView b) const {
  // Equal code units compare equal, so the comparison starts where the texts first
  // differ, or at the start of the digit run that difference lies in.
  std::size_t same = 0;
  const std::size_t shorter = a.size() < b.size() ? a.size() : b.size();
  while (same < shorter && a[same] == b[same]) ++same;
  while (same > 0 && IsDigit(a[same - 1])) --same;
  std::size_t i = same, j = same;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t startA = i, startB = j;
      while (startA < a.size() && a[startA] == u'0') ++startA;
      while (startB < b.size() && b[startB] == u'0') ++startB;
      std::size_t endA = startA, endB = startB;
      while (endA < a.size() && IsDigit(a[endA])) ++endA;
      while (endB < b.size() && IsDigit(b[endB])) ++endB;
      const std::size_t lengthA = endA - startA, lengthB = endB - startB;
      if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
      for (std::size_t k = 0; k < lengthA; ++k)
        if (a[startA + k] != b[startB + k]) return a[startA + k] < b[startB + k] ? -1 : 1;
      i = endA;
      j = endB;
      continue;
    }
    // A digit sorts before any other character here.
    if (IsDigit(a[i]) != IsDigit(b[j])) return IsDigit(a[i]) ? -1 : 1;
    if (const int c = CompareUncased(a[i], b[j])) return c;
    ++i;
    ++j;
  }
  const bool endA = i == a.size(), endB = j == b.size();
  if (endA && endB) return 0;
  return endA ? -1 : 1;
}

namespace {

// Half-width katakana U+FF66..U+FF9D as hiragana (the voiced-sound marks FF9E/FF9F stay).
constexpr char16_t kHalfWidthKana[] =
    u"をぁぃぅぇぉゃゅょっーあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわん";

bool IsLooseSymbol(char16_t c) {
  if (c < 0x80) return !((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'));
  if (c <= 0xBF || c == 0xD7 || c == 0xF7) return true;
  if (c >= 0x2000 && c <= 0x206F) return true;  // general punctuation
  if (c >= 0x2190 && c <= 0x27BF) return true;  // arrows .. dingbats
  if (c >= 0x3000 && c <= 0x303F) {             // CJK symbols and punctuation, not the ideographic marks
    const bool letterLike = (c >= 0x3005 && c <= 0x3007) || (c >= 0x3021 && c <= 0x3029) ||
                            (c >= 0x3031 && c <= 0x3035) || c == 0x303B || c == 0x303C;
    return !letterLike;
  }
  if (c == 0x30FB) return true;                 // katakana middle dot
  if (c >= 0xFE30 && c <= 0xFE6F) return true;  // CJK compatibility and small forms
  if (c >= 0xFF61 && c <= 0xFF65) return true;  // half-width punctuation
  return false;
}

// One unit of the loose form: width and kana type folded, then case.
char16_t LooseFold(char16_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<char16_t>(c - 0xFEE0);
  else if (c >= 0xFF66 && c <= 0xFF9D) c = kHalfWidthKana[c - 0xFF66];
  else if (c >= 0x30A1 && c <= 0x30F6) c = static_cast<char16_t>(c - 0x60);
  return Fold(c);
}

}  // namespace

std::string PortableCollation::LooseKey(TextView text) const {
  std::string key;
  key.reserve(text.size() * 2);
  for (char16_t c : text) {
    c = LooseFold(c);
    if (IsLooseSymbol(c)) continue;
    key.push_back(static_cast<char>(c >> 8));
    key.push_back(static_cast<char>(c & 0xFF));
  }
  return key;
}

void PortableCollation::FoldCase(Text& text) const {
  for (char16_t& c : text) c = Fold(c);
}

int PortableCollation::CompareLocale(TextView a, TextView b) const {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t k = 0; k < common; ++k)
    if (const int c = CompareUncased(a[k], b[k])) return c;
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t k = 0; k < common; ++k) {
    if (a[k] == b[k]) continue;
    // The same letter in two cases: lower case first.
    if (a[k] == Fold(a[k]) && b[k] != Fold(b[k])) return -1;
    if (b[k] == Fold(b[k]) && a[k] != Fold(a[k])) return 1;
    return a[k] < b[k] ? -1 : 1;
  }
  return 0;
}

}  // namespace wayloom
