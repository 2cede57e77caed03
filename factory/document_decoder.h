// Decoder (64): turns a compressed document (gzip, as the gzip tool writes
// it) back into its text.
#pragma once

#include "factory/component_factory.h"

namespace zandrop {

constexpr std::uint32_t kDecoderComponentId = 64;

// Slot 7 contract. The parameter block must begin with "Pumlo" and its NUL.
// *outputLength holds the output capacity on entry. The output always
// receives a NUL-terminated text within the capacity: the whole text when it
// fits, else as much as fits, and the decoding stops there (the text beyond
// the capacity is not decoded). *outputLength receives the size the whole
// text needs with its NUL when it fitted; else a size larger than the
// capacity: the length the last gzip member records (exact for a file of one
// member), or one byte more than the capacity when that says less (at most
// 2^31 - 1, which then means "that or more"). Returns 1 when the input decodes
// as one or more complete gzip members (zero padding after them is allowed)
// as far as it was decoded, 0 for anything else (the output then holds no
// text).
class DocumentDecoder final
    : public FactoryObject<DocumentDecoder, orvel::IDocumentDecoder, kDecoderComponentId> {
 public:
  int ReservedSlot5() override { return 0; }
  int ReservedSlot6() override { return 0; }
  int Decode(const void* input, std::int32_t inputLength, void* parameterBlock, void* output,
             std::int32_t* outputLength) override;
};

}  // namespace zandrop
