#include "files/dxf_walk.h"

#include "files/number_format.h"

#include <algorithm>
#include <cmath>

namespace dezadiravevava::drawing {

bool DrawingWalker::Read(DxfTag& tag) {
    if (has_pending_) {
        tag.Swap(pending_);
        has_pending_ = false;
        return true;
    }
    if (cancelled_) {
        return false;
    }
    if (ahead_begin_ < ahead_end_) {
        tag.Swap(ahead_tags_[ahead_begin_++]);
        ahead_bytes_ -= tag.code_line.size() + tag.value_line.size();
        if (ahead_begin_ == ahead_end_) {
            ahead_begin_ = ahead_end_ = 0;
        }
    } else if (!input_.Next(tag)) {
        return false;
    }
    cancelled_ = !step_(tag.end_position);
    return !cancelled_;
}

const DxfTag* DrawingWalker::LookAhead::Next() {
    DrawingWalker& w = walker_;
    if (!second_reader_) {
        if (index_ < w.ahead_end_) {
            return &w.ahead_tags_[index_++];
        }
        if (w.ahead_end_ - w.ahead_begin_ < kAheadTags && w.ahead_bytes_ < kAheadBytes) {
            if (w.ahead_end_ == w.ahead_tags_.size()) {
                w.ahead_tags_.emplace_back();
            }
            DxfTag& tag = w.ahead_tags_[w.ahead_end_];
            if (!w.input_.Next(tag)) {
                return nullptr;
            }
            ++w.ahead_end_;
            index_ = w.ahead_end_;
            w.ahead_bytes_ += tag.code_line.size() + tag.value_line.size();
            return &tag;
        }
        // An entity too long to hold: the rest of it through the second reader.
        second_reader_ = true;
        const DxfTag& last = w.ahead_tags_[w.ahead_end_ - 1];
        if (!w.ahead_.Seek(last.end_position, last.value_line_number())) {
            return nullptr;
        }
    }
    return w.ahead_.Next(w.ahead_tag_) ? &w.ahead_tag_ : nullptr;
}

void DrawingWalker::WriteValue(const DxfTag& tag, double value, int decimals) {
    if (!output_) {
        return;
    }
    block_.text += tag.code_line;
    AppendCFixed(block_.text, value, decimals);
    block_.text += tag.value_ending();
    FlushWhenFull();
}

// The moves wait for the workers; a walk that fails leaves its blocks, as
// the run then writes nothing of them.
bool DrawingWalker::Walk() {
    pool_ = std::make_unique<OrderedWork<DrawingBlock>>(
        threads_,
        MoveWork(move_, decimals_, plan_tolerance_, degrees_, output_ != nullptr, coverage_));
    const bool whole = WalkTags();
    if (whole) {
        Flush();
        while (!pool_->empty()) {
            TakeBack(pool_->TakeOldest());
        }
    }
    pool_.reset();
    return whole;
}

void DrawingWalker::Flush() {
    if (block_.empty()) {
        return;
    }
    const std::size_t bytes = block_.bytes();
    while (!pool_->HasRoomFor(bytes)) {
        spare_ = pool_->TakeOldest();
        TakeBack(spare_);
    }
    pool_->HandOver(std::move(block_), bytes);
    block_ = std::move(spare_);
    block_.Clear();
}

// What the moves of a block mean for the run, in drawing order; then its text.
void DrawingWalker::TakeBack(const DrawingBlock& block) {
    std::size_t next = 0; // the next rejection found while reading
    for (std::size_t i = 0; i < block.moves.size(); ++i) {
        for (; next < block.rejected.size() && block.rejected[next].before_move <= i; ++next) {
            rejected_.Add(block.rejected[next].line, block.rejected[next].motive);
        }
        const PendingMove& pending = block.moves[i];
        if (pending.motive == kOffPlane) {
            rejected_.Add(pending.line,
                          std::string(kOffPlane) + " (" +
                              (degrees_ ? CFixed(pending.deviation, 10) + "°"
                                        : CFixed(pending.deviation * 1000.0, 1) + " mm") +
                              ")");
        } else if (!pending.motive.empty()) {
            rejected_.Add(pending.line, pending.motive);
        } else if (pending.model) {
            extents_.Include(pending.x, pending.y, pending.margin);
            if (on_model_point_) {
                on_model_point_(pending.x, pending.y);
            }
        }
    }
    for (; next < block.rejected.size(); ++next) {
        rejected_.Add(block.rejected[next].line, block.rejected[next].motive);
    }
    coverage_tally_.Add(block.coverage);
    uncertainty_.Add(block.uncertainty);
    if (output_) {
        output_->WriteRaw(block.moves.empty() ? block.text : block.output);
    }
}

bool DrawingWalker::WalkTags() {
    DxfTag tag;
    while (Read(tag)) {
        if (tag.code != 0) {
            if (section_ == "HEADER") {
                HandleHeader(tag);
            } else if (section_ == "BLOCKS") {
                HandleBlocks(tag);
            } else {
                Copy(tag);
            }
            continue;
        }
        const std::string_view word = tag.Keyword();
        if (word == "EOF") {
            if (in_section_) {
                return Incomplete(tag.value_line_number());
            }
            Copy(tag);
            if (too_many_pictures_) {
                return Fail("El dibujo tiene demasiadas cotas para transformarlo");
            }
            return CopyRest();
        }
        if (word == "SECTION") {
            DxfTag name;
            if (!Read(name)) {
                break;
            }
            if (in_section_ && name.code != 2) {
                // A SECTION entity (a section plane), not a new section.
                Unread(name);
                if (section_ == "ENTITIES") {
                    HandleEntity(tag, Place::kModel);
                } else if (section_ == "BLOCKS") {
                    HandleBlocks(tag);
                } else {
                    Copy(tag);
                }
                continue;
            }
            if (in_section_) { // the section before never ended: it ends on the line before
                return Incomplete(tag.line - 1);
            }
            Copy(tag);
            if (name.code != 2) {
                return Fail("Falta el nombre de la sección en la línea " +
                            std::to_string(name.line));
            }
            Copy(name);
            in_section_ = true;
            polyline_ = PolylineContext();
            parent_paper_ = false;
            section_ = std::string(name.Keyword().substr(0, kLongestName));
            has_entities_ = has_entities_ || section_ == "ENTITIES";
            continue;
        }
        if (word == "ENDSEC") {
            Copy(tag);
            in_section_ = false;
            section_.clear();
            continue;
        }
        if (section_ == "ENTITIES") {
            HandleEntity(tag, Place::kModel);
        } else if (section_ == "BLOCKS") {
            HandleBlocks(tag);
        } else if (section_ == "OBJECTS" && output_ && tag.Keyword() == "GEODATA") {
            HandleGeodata(tag);
        } else {
            Copy(tag);
        }
    }
    return ReaderStopped();
}

bool DrawingWalker::ReaderStopped() {
    // A stop signal ends a read that waits on a pipe: the read fails, and the
    // run is cancelled, not unreadable.
    if (!cancelled_ && input_.status() == DxfTagReader::Status::kReadError) {
        cancelled_ = !step_(input_.position());
    }
    if (cancelled_) {
        return Fail(std::string(kCancelledLine.substr(0, kCancelledLine.size() - 1)));
    }
    const std::uint64_t line = input_.line();
    switch (input_.status()) {
    case DxfTagReader::Status::kEnd:
    case DxfTagReader::Status::kCut:
        return Incomplete(line);
    case DxfTagReader::Status::kBinary:
        return Fail("El dibujo es un DXF binario: solo se leen dibujos DXF de texto");
    case DxfTagReader::Status::kNotText:
        return Fail("El archivo de entrada no es un dibujo DXF de texto");
    case DxfTagReader::Status::kBadCode:
        return Fail("Código de grupo no válido en la línea " + std::to_string(line));
    case DxfTagReader::Status::kTooLong:
        return Fail("La línea " + std::to_string(line) + " del dibujo tiene más de 1 MiB");
    case DxfTagReader::Status::kReadError:
    case DxfTagReader::Status::kOk:
        break;
    }
    return Fail("Error al leer el dibujo en la línea " + std::to_string(line));
}

// Whatever follows the end of the drawing is copied as it stands.
bool DrawingWalker::CopyRest() {
    if (!output_) {
        return true;
    }
    std::string raw;
    while (input_.NextLine(raw)) {
        block_.text += raw;
        FlushWhenFull();
    }
    return input_.status() == DxfTagReader::Status::kEnd || ReaderStopped();
}

// --- Header ------------------------------------------------------------------

void DrawingWalker::HandleHeader(const DxfTag& tag) {
    if (tag.code == 9) {
        header_variable_ = std::string(tag.Keyword().substr(0, kLongestName));
    } else if (tag.code == 10 && output_ &&
               (header_variable_ == "$EXTMIN" || header_variable_ == "$EXTMAX" ||
                header_variable_ == "$LIMMIN" || header_variable_ == "$LIMMAX" ||
                header_variable_ == "$INSBASE")) {
        HandleHeaderPoint(tag);
        return;
    }
    Copy(tag);
}

// The extents and limits become the rectangle of the transformed drawing; the
// insertion base, and the corners of a drawing without points, are moved.
void DrawingWalker::HandleHeaderPoint(const DxfTag& x_tag) {
    DxfTag y_tag;
    if (!Read(y_tag)) {
        Copy(x_tag);
        return;
    }
    if (y_tag.code != 20) {
        Copy(x_tag);
        Unread(y_tag);
        return;
    }
    double x = 0.0, y = 0.0;
    const bool lower = header_variable_ == "$EXTMIN" || header_variable_ == "$LIMMIN";
    const bool upper = header_variable_ == "$EXTMAX" || header_variable_ == "$LIMMAX";
    std::string_view motive = ReadCoordinate(x_tag.value(), x);
    if (motive.empty()) {
        motive = ReadCoordinate(y_tag.value(), y);
    }
    if ((lower || upper) && !header_extents_.empty()) {
        x = lower ? header_extents_.x_min : header_extents_.x_max;
        y = lower ? header_extents_.y_min : header_extents_.y_max;
        motive = {};
    } else if (motive.empty()) {
        if (std::fabs(x) >= kUndefinedCorner || std::fabs(y) >= kUndefinedCorner) {
            Copy(x_tag); // no extents to move
            Copy(y_tag);
            return;
        }
        motive = move_(x, y);
    }
    if (!motive.empty()) {
        header_notes_ += "Variable de cabecera no transformada: " + header_variable_ + " (" +
                         std::string(motive) + ")\n";
        Copy(x_tag);
        Copy(y_tag);
        return;
    }
    WriteValue(x_tag, x);
    WriteValue(y_tag, y);
}

// --- Blocks ------------------------------------------------------------------

// Block definitions are copied; the picture of a model-space dimension (an
// anonymous block in world coordinates, drawn where the dimension is) moves
// with its dimension.
void DrawingWalker::HandleBlocks(const DxfTag& tag) {
    if (tag.code == 0) {
        const std::string_view word = tag.Keyword();
        if (word == "BLOCK" || word == "ENDBLK") {
            block_header_ = word == "BLOCK";
            moving_block_ = false;
        } else {
            block_header_ = false;
            if (moving_block_) {
                HandleEntity(tag, Place::kDimensionPicture);
                return;
            }
        }
    } else if (tag.code == 2 && block_header_ && pictures_) {
        moving_block_ = std::binary_search(pictures_->begin(), pictures_->end(), tag.value());
    }
    Copy(tag);
}

} // namespace dezadiravevava::drawing
