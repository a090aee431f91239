#include "source/reader_context.h"

#include "format/file_names.h"
#include "format/marks.h"
#include "source/status_codes.h"

namespace scenario {

bool ReaderContext::open(const std::string& name) {
  close();
  file_name = name;
  row_line = 0;
  std::optional<std::string> text = sources.load(name);
  if (!text) return false;
  empty_source = text->find_first_not_of(" \t\r\n") == std::string::npos;
  stream.emplace(std::move(*text));
  return true;
}

void ReaderContext::close() {
  if (!stream) return;
  report.texts[file_name] = stream->take_bytes();
  stream.reset();
}

void ReaderContext::set_status(int32_t code, std::optional<int64_t> position) {
  state.read_status = code;
  if (position) state.read_status_position = static_cast<int32_t>(*position);
  report.culprit = RowOrigin{};
  RowOrigin& o = report.status_origin;
  o = RowOrigin{};
  o.file = file_name;
  o.line = row_line;
  if (stream) {
    const auto& fields = stream->row_fields();
    const int index = code_info(code).blame;
    o.last_line = stream->line();
    if (index >= 0 && static_cast<size_t>(index) < fields.size() && row_line > 0) {
      o.field_line = fields[static_cast<size_t>(index)].line;
      o.column = fields[static_cast<size_t>(index)].column;
    } else {
      o.field_line = stream->line();
      o.column = stream->column();
    }
  }
}

void ReaderContext::set_file_status(int32_t code, const std::string& file) {
  state.read_status = code;  // the position stays as it was
  report.status_origin = RowOrigin{};
  report.status_origin.file = file;
}

void ReaderContext::note_block(int64_t block) {
  BlockOrigins& origins = report.blocks;
  const size_t blocks = state.track.blocks().size();
  if (origins.line.size() != blocks) {
    origins.line.assign(blocks, 0);
    origins.column.assign(blocks, 0);
    origins.file.assign(blocks, BlockOrigins::kNone);
  }
  if (block < 0 || static_cast<size_t>(block) >= origins.line.size()) return;
  const auto b = static_cast<size_t>(block);
  origins.line[b] = row_line;
  if (stream && stream->row_fields().size() > 1) origins.column[b] = stream->row_fields()[1].column;
  origins.file[b] = file_name == line_source_name(state.identity()) ? BlockOrigins::kLineSource
                                                                    : BlockOrigins::kTrainSource;
}

}  // namespace scenario

namespace scenario {

void ReaderContext::set_taken(int32_t code, int64_t position, int64_t block) {
  set_status(code, position);
  report.failure_reason = "by " + block_holder(block);
  report.culprit = block_row(block);
}

RowOrigin ReaderContext::block_row(int64_t block) const {
  RowOrigin row;
  const BlockOrigins& o = report.blocks;
  if (!state.track.contains(block) || block < 0 || static_cast<size_t>(block) >= o.line.size() ||
      o.line[block] <= 0) {
    return row;
  }
  const Identity id = state.identity();
  row.file =
      o.file[block] == BlockOrigins::kLineSource ? line_source_name(id) : train_source_name(id);
  row.line = row.last_line = row.field_line = o.line[block];
  row.column = o.column[block];
  return row;
}

std::string ReaderContext::block_holder(int64_t block) const {
  if (!state.track.contains(block)) return "nothing";
  const TrackBlock& b = state.track[block];
  const RowOrigin origin = block_row(block);
  const std::string at =
      origin.known() ? " at " + origin.file + ":" + std::to_string(origin.line) : "";
  // The slowdown's warning and its pre-warning run stand where the source names no item.
  switch (b.code) {
    case kSignal:
      return "the signal" + at;
    case kSlowdownEnd:
      return "the end of the slowdown" + at;
    case kSlowdownStart:
      return "the start of the slowdown" + at;
    case kSlowdownWarning:
      return "the warning point placed " + std::to_string(kSlowdownWarningDistance) +
             " m before the slowdown" + at;
    case kPreWarning:
      return "the pre-warning run placed before the warning point of the slowdown" + at;
    case kSpeedBoard:
      return "the speed board" + at;
    case kStopMarker: {
      const int32_t k = b.value1;
      std::string station = "a station";
      if (k >= 1 && k < GeneralTable::kFirstBoardSlot && !state.general[k].text.empty()) {
        station = state.general[k].text;
      }
      return "the stop marker of " + station + at;
    }
    case kCodeCutValue:
    case kCodeCut:
      return "the code-cut point" + at;
    case kIndicationBoard:
      return "the indication board" + at;
    default:
      return "block " + std::to_string(block) + at;
  }
}

}  // namespace scenario
