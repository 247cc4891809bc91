// Address masks: ParseIpMask on every item of a fuzzed list, MatchIpMasks of
// a fuzzed address text and of addresses built from the input's bytes.
//
// Input: the list text, NUL, the address text, NUL, then pairs of bytes that
// make octet values from -20 to 279.
//
// Properties:
// - a refused item leaves the destination untouched;
// - an accepted item has every bound within 0 to 255, and its ranges written
//   out as "L-H.L-H.L-H.L-H" parse back to the same mask;
// - an address matches an accepted mask exactly when every octet lies in its
//   range;
// - the address text reads as the C library's sscanf("%d.%d.%d.%d") reads
//   it (where that has no overflow);
// - the list matches when an item before the first refused one matches.
#include <cstdio>
#include <vector>

#include "fuzz_input.h"
#include "intake/ip_mask.h"

namespace {

bool SameMask(const IpMask& a, const IpMask& b) {
  for (int i = 0; i < 4; ++i) {
    if (a.octets[i].Low != b.octets[i].Low || a.octets[i].High != b.octets[i].High)
      return false;
  }
  return true;
}

bool Inside(const IpMask& mask, const IpAddress& address) {
  for (int i = 0; i < 4; ++i) {
    if (address[i] < mask.octets[i].Low || address[i] > mask.octets[i].High) return false;
  }
  return true;
}

// A mask that no parse can produce, to see whether a refusal wrote to it.
IpMask Sentinel() {
  IpMask mask;
  for (int i = 0; i < 4; ++i) mask.octets[i] = {-1000 - i, -2000 - i};
  return mask;
}

std::string AddressText(const IpAddress& address) {
  char text[64];
  std::snprintf(text, sizeof(text), "%d.%d.%d.%d", address[0], address[1], address[2],
                address[3]);
  return text;
}

void CheckAddressReading(std::string_view text) {
  IpAddress read;
  const int count = ScanIpAddress(text, &read);
  FUZZ_CHECK(count >= 0 && count <= 4);
  for (int i = count; i < 4; ++i) FUZZ_CHECK(read[i] == 0);
  if (!DigitRunsAtMost(text, 9)) return;
  const std::string terminated(text);  // a NUL inside ends it, as for sscanf
  int expected[4] = {0, 0, 0, 0};
  std::sscanf(terminated.c_str(), "%d.%d.%d.%d", &expected[0], &expected[1], &expected[2],
              &expected[3]);
  for (int i = 0; i < 4; ++i) FUZZ_CHECK(read[i] == expected[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::string list(input.Text());
  const std::string address_text(input.Text());

  // Addresses to try: the fuzzed text, and a few made of the input's bytes.
  std::vector<IpAddress> addresses;
  CheckAddressReading(address_text);
  addresses.push_back(ReadIpAddress(address_text));
  while (!input.empty() && addresses.size() < 16) {
    IpAddress address;
    for (int& octet : address) {
      const int high = input.Byte();
      octet = (high * 256 + input.Byte()) % 300 - 20;
    }
    FUZZ_CHECK(ReadIpAddress(AddressText(address)) == address);
    addresses.push_back(address);
  }

  // Each item alone, and the list as the items before the first refusal.
  std::vector<IpMask> usable;
  ForEachListItem(list, [&](std::string_view item) {
    IpMask mask = Sentinel();
    if (!ParseIpMask(item, &mask)) {
      FUZZ_CHECK(SameMask(mask, Sentinel()));
      return false;
    }
    for (const IpMask::Range& range : mask.octets) {
      FUZZ_CHECK(range.Low >= 0 && range.Low <= 255);
      FUZZ_CHECK(range.High >= 0 && range.High <= 255);
    }
    char written[64];
    std::snprintf(written, sizeof(written), "%d-%d.%d-%d.%d-%d.%d-%d",
                  mask.octets[0].Low, mask.octets[0].High, mask.octets[1].Low,
                  mask.octets[1].High, mask.octets[2].Low, mask.octets[2].High,
                  mask.octets[3].Low, mask.octets[3].High);
    IpMask again = Sentinel();
    FUZZ_CHECK(ParseIpMask(written, &again) == 1);
    FUZZ_CHECK(SameMask(mask, again));

    for (const IpAddress& address : addresses) {
      const bool inside = Inside(mask, address);
      FUZZ_CHECK(MatchIpMasks(AddressText(address), ParseIpMaskList(item)) == (inside ? 1 : 0));
    }
    usable.push_back(mask);
    return true;
  });

  const IpMaskList parsed = ParseIpMaskList(list);
  FUZZ_CHECK(parsed.masks.size() == usable.size());
  for (std::size_t i = 0; i < usable.size(); ++i) {
    FUZZ_CHECK(SameMask(parsed.masks[i], usable[i]));
  }
  for (const IpAddress& address : addresses) {
    bool expected = false;
    for (const IpMask& mask : usable) expected = expected || Inside(mask, address);
    FUZZ_CHECK(MatchIpMasks(AddressText(address), parsed) == (expected ? 1 : 0));
  }
  bool text_expected = false;
  for (const IpMask& mask : usable) text_expected = text_expected || Inside(mask, addresses[0]);
  FUZZ_CHECK(MatchIpMasks(address_text, parsed) == (text_expected ? 1 : 0));
  return 0;
}
