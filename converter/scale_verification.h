// The scales' PLU files read back and compared with the PLU file written:
// after a load with Verify=1, and in the verify mode (-Verify). A verified
// load with Remove Other PLUs=1 then deletes the PLUs the price list does
// not name and reads those scales back once more.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "converter/plu_file.h"
#include "converter/run_context.h"

namespace converter {

// Reads back the PLU file of the scales (indexes into context.scales), all
// in one run of the transfer program with a plain read of F85, and compares
// each with the PLU file at plu_path, record by record. A read-back that
// fails, or does not come whole, fails the scale's transfer. Each scale read
// back gets its outcome in words (RunOutcome::ScaleVerified); a scale that
// holds a record sent otherwise or not at all, or with Remove Other PLUs a
// PLU the price list does not name, sets not_as_sent.
//
// In the load mode with Remove Other PLUs=1 and an accepted line: each scale
// read back that holds PLUs no line names (counts.rejected_keys are named
// too) and no more than Remove Limit of them gets a key file of them, sent
// to all such scales at once as a key load of F95, and is read back once
// more; one with more than Remove Limit is named and keeps them.
//
// Fails with RunFailure::kScaleFile when the PLU file cannot be read or a
// key file not written.
RunStatus VerifyScales(const RunContext& context, const std::string& plu_path, const PriceListCounts& counts,
                       const std::vector<std::size_t>& scales, RunOutcome* outcome);

}  // namespace converter
