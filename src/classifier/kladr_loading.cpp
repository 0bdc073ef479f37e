#include "classifier/kladr_loading.h"

#include "classifier/kladr_code.h"
#include "classifier/kladr_process.h"
#include "classifier/kladr_targets.h"
#include "classifier/socr_codes.h"
#include "data/data_module.h"
#include "engine/code_page.h"
#include "engine/errors.h"
#include "engine/record_image.h"
#include "engine/table.h"

namespace kvzt::classifier {

namespace {

// Records between two chances for a window to repaint its gauge.
constexpr int kRecordsPerMessagePass = 2048;

// A part of a code by character position, as KladrCode::parse cuts it
// (empty past the end, short at the end), in the source's own bytes.
std::string_view codePart(std::string_view code, std::size_t from, std::size_t length) {
    return from >= code.size() ? std::string_view() : code.substr(from, length);
}

// The code parts from the district down, where "000" means the level is absent.
bool isRegionRecord(std::string_view code) {
    return codePart(code, 2, 3) == "000" && codePart(code, 5, 3) == "000" && codePart(code, 8, 3) == "000";
}

// The five parts of a code, from the region down: position and length.
struct CodeSpan {
    std::size_t from, length;
};
constexpr CodeSpan kCodeParts[] = {{0, 2}, {2, 3}, {5, 3}, {8, 3}, {11, 4}};
constexpr const char* kCodeFields[] = {"KODREG", "KODRAI", "KODTOW", "KODNAS", "KODULI"};

}  // namespace

// The places of the source fields, looked up once per pass.
struct KladrLoader::SourceFields {
    int code, name, socr, index, gninmb;
    explicit SourceFields(const engine::Table& t)
        : code(t.fieldIndexOf("CODE")),
          name(t.fieldIndexOf("NAME")),
          socr(t.fieldIndexOf("SOCR")),
          index(t.fieldIndexOf("INDEX")),
          gninmb(t.fieldIndexOf("GNINMB")) {}
};

// One target table of a pass: its record image and the places of the fields
// it gets. A target keeps the code down to its own level (`depth` parts:
// districts the region and district, houses all five) and, unless its
// `level` is 0, the code of its abbreviation at that level.
struct KladrLoader::Target {
    engine::Table& table;
    engine::RecordImage image;
    engine::CodePageMap map;  // source bytes → the target's code page
    char level;
    int depth;
    int& counter;
    int name, tip, pindex, gninmb;
    int code[std::size(kCodeFields)];

    Target(engine::Table& target, const engine::Table& source, char abbreviationLevel, int codeDepth, int& added)
        : table(target),
          image(target),
          map(source.codePage(), target.codePage()),
          level(abbreviationLevel),
          depth(codeDepth),
          counter(added),
          name(target.fieldIndex("NAME")),
          tip(target.fieldIndex("TIP")),
          pindex(target.fieldIndex("PINDEX")),
          gninmb(target.fieldIndex("GNINMB")) {
        for (int i = 0; i < depth; ++i) code[i] = target.fieldIndex(kCodeFields[i]);
    }
};

KladrLoader::KladrLoader(data::TdmKVZT& dm, KladrTargets& targets, SocrCodes& socr, const RegionMarks& marks,
                         KladrProgress& progress, KladrResult& result)
    : dm_(dm), targets_(targets), socr_(socr), marks_(marks), progress_(progress), result_(result) {}

bool KladrLoader::marked(const std::string& region) const {
    const auto it = marks_.find(region);
    return it != marks_.end() && it->second;
}

const KladrLoader::Region& KladrLoader::regionOf(std::string_view code, engine::CodePage cp) {
    // Records come grouped by region: the last answer serves nearly every one.
    const std::string_view bytes = codePart(code, 0, 2);
    if (!region_.known || bytes != region_.bytes) {
        region_.bytes.assign(bytes);
        region_.name = KladrCode::parse(code, cp).region;
        region_.marked = marked(region_.name);
        region_.known = true;
    }
    return region_;
}

KladrLoader::Abbreviation& KladrLoader::abbreviationOf(const engine::Table& source, int socrField) {
    const std::string_view stored = source.rawFieldAt(socrField);
    // Most records of a stretch share one abbreviation ("ул"): ask the map only when it changes.
    if (lastAbbreviation_ != abbreviations_.end() && lastAbbreviation_->first == stored) return lastAbbreviation_->second;
    auto it = abbreviations_.find(stored);
    if (it == abbreviations_.end()) {
        Abbreviation a;
        a.text = source.asStringAt(socrField);
        static const std::string house = "ДОМ";  // six bytes in UTF-8, as is "дом"
        a.house = a.text.size() == house.size() && engine::upperUtf8(a.text) == house;
        it = abbreviations_.emplace(std::string(stored), std::move(a)).first;
    }
    lastAbbreviation_ = it;
    return it->second;
}

const std::string& KladrLoader::socrCode(Abbreviation& a, char level) {
    const std::size_t slot = std::size_t(level - '2');
    if (slot >= std::size(a.codes)) throw engine::EngineError(engine::code::InvalidParam, "Нет уровня сокращений");
    if (!a.known[slot]) {
        a.codes[slot] = socr_.GetSocrCode(level, a.text);
        a.known[slot] = true;
    }
    return a.codes[slot];
}

void KladrLoader::add(Target& target, const engine::Table& source, const SourceFields& in, std::string_view code) {
    engine::RecordImage& image = target.image;
    image.clear();
    // A text field as it would be read (trailing blanks dropped) and written.
    auto copyText = [&](int to, int from) {
        const engine::FieldDef& f = source.fields()[std::size_t(from)];
        if (f.type == 'C') {
            image.setBytes(to, engine::TrimmedFieldBytes(source.rawFieldAt(from)), target.map);
        } else {
            image.setText(to, source.asStringAt(from));
        }
    };
    copyText(target.name, in.name);
    if (target.level != 0) image.setText(target.tip, socrCode(abbreviationOf(source, in.socr), target.level));
    for (int i = 0; i < target.depth; ++i) {
        image.setBytes(target.code[i], codePart(code, kCodeParts[i].from, kCodeParts[i].length), target.map);
    }
    copyText(target.pindex, in.index);
    copyText(target.gninmb, in.gninmb);
    target.table.appendRecordBytes(image.bytes());
    ++target.counter;
}

void KladrLoader::announce(const std::string& region, const char* what) {
    if (region == announced_) return;
    announced_ = region;
    progress_.setStatusText(QStringLiteral("\"%1\"%2")
                                .arg(dm_.GetRegName(QString::fromStdString(region)), QString::fromUtf8(what)));
    progress_.processMessages();
}

void KladrLoader::startPass() {
    // What the last pass remembered was read from another file.
    announced_.clear();
    region_ = Region();
    abbreviations_.clear();
    lastAbbreviation_ = abbreviations_.end();
}

void KladrLoader::tick() {
    progress_.advance();
    if (++sinceMessages_ >= kRecordsPerMessagePass) {
        sinceMessages_ = 0;
        progress_.processMessages();
    }
}

void KladrLoader::kladrPass(engine::Table& kladr) {
    startPass();
    const SourceFields in(kladr);
    Target rai(targets_[kRai], kladr, '2', 2, result_.districts);
    Target tow(targets_[kTow], kladr, '3', 3, result_.towns);
    Target nas(targets_[kNas], kladr, '4', 4, result_.settlements);
    for (kladr.first(); !kladr.eof(); kladr.next(), tick()) {
        const std::string_view code = kladr.rawFieldAt(in.code);
        const Region& region = regionOf(code, kladr.codePage());
        if (isRegionRecord(code) || !region.marked) continue;
        announce(region.name, " - добавление записи");
        if (codePart(code, 8, 3) != "000") {
            add(nas, kladr, in, code);
        } else if (codePart(code, 5, 3) != "000") {
            add(tow, kladr, in, code);
        } else if (codePart(code, 2, 3) != "000") {
            add(rai, kladr, in, code);
        }
    }
}

void KladrLoader::streetPass(engine::Table& street) {
    startPass();
    const SourceFields in(street);
    Target uli(targets_[kUli], street, '5', 5, result_.streets);
    Target dom(targets_[kDom], street, 0, 5, result_.houses);
    for (street.first(); !street.eof(); street.next(), tick()) {
        const std::string_view code = street.rawFieldAt(in.code);
        const Region& region = regionOf(code, street.codePage());
        if (!region.marked) continue;
        if (abbreviationOf(street, in.socr).house) {
            announce(region.name, " - добавление домов");
            add(dom, street, in, code);
        } else {
            announce(region.name, " - добавление улиц");
            add(uli, street, in, code);
        }
    }
}

}  // namespace kvzt::classifier
