#include "classifier/kladr_loading.h"

#include "classifier/kladr_code.h"
#include "classifier/kladr_process.h"
#include "classifier/kladr_targets.h"
#include "classifier/socr_codes.h"
#include "data/data_module.h"
#include "engine/code_page.h"
#include "engine/table.h"

namespace kvzt::classifier {

namespace {

// Records between two chances for a window to repaint its gauge.
constexpr int kRecordsPerMessagePass = 2048;

// The places of the source fields, looked up once per pass.
struct SourceFields {
    int code, name, socr, index, gninmb;
    explicit SourceFields(const engine::Table& t)
        : code(t.fieldIndexOf("CODE")),
          name(t.fieldIndexOf("NAME")),
          socr(t.fieldIndexOf("SOCR")),
          index(t.fieldIndexOf("INDEX")),
          gninmb(t.fieldIndexOf("GNINMB")) {}
};

// The fields read from a source record, as UTF-8 text.
struct SourceRecord {
    std::string name;
    std::string socr;
    std::string index;
    std::string gninmb;

    SourceRecord(const engine::Table& t, const SourceFields& f)
        : name(t.asStringAt(f.name)),
          socr(t.asStringAt(f.socr)),
          index(t.asStringAt(f.index)),
          gninmb(t.asStringAt(f.gninmb)) {}
};

// The places of a target's fields, looked up once per pass; -1 for a field
// the table does not have (districts have no town code, and so on).
struct TargetFields {
    int name, tip, kodreg, kodrai, kodtow, kodnas, koduli, pindex, gninmb;
    explicit TargetFields(const engine::Table& t)
        : name(t.fieldIndex("NAME")),
          tip(t.fieldIndex("TIP")),
          kodreg(t.fieldIndex("KODREG")),
          kodrai(t.fieldIndex("KODRAI")),
          kodtow(t.fieldIndex("KODTOW")),
          kodnas(t.fieldIndex("KODNAS")),
          koduli(t.fieldIndex("KODULI")),
          pindex(t.fieldIndex("PINDEX")),
          gninmb(t.fieldIndex("GNINMB")) {}
};

}  // namespace

KladrLoader::KladrLoader(data::TdmKVZT& dm, KladrTargets& targets, SocrCodes& socr, const RegionMarks& marks,
                         KladrProgress& progress, KladrResult& result)
    : dm_(dm), targets_(targets), socr_(socr), marks_(marks), progress_(progress), result_(result) {}

bool KladrLoader::marked(const std::string& region) const {
    const auto it = marks_.find(region);
    return it != marks_.end() && it->second;
}

void KladrLoader::announce(const std::string& region, const char* what) {
    if (region == announced_) return;
    announced_ = region;
    progress_.setStatusText(QStringLiteral("\"%1\"%2")
                                .arg(dm_.GetRegName(QString::fromStdString(region)), QString::fromUtf8(what)));
    progress_.processMessages();
}

void KladrLoader::tick() {
    progress_.advance();
    if (++sinceMessages_ >= kRecordsPerMessagePass) {
        sinceMessages_ = 0;
        progress_.processMessages();
    }
}

void KladrLoader::kladrPass(engine::Table& kladr) {
    announced_.clear();
    engine::Table& rai = targets_[kRai];
    engine::Table& tow = targets_[kTow];
    engine::Table& nas = targets_[kNas];
    const SourceFields in(kladr);
    const TargetFields ra(rai), to(tow), na(nas);
    for (kladr.first(); !kladr.eof(); kladr.next(), tick()) {
        const KladrCode code = KladrCode::parse(kladr.rawFieldAt(in.code), kladr.codePage());
        if (code.isRegionRecord() || !marked(code.region)) continue;
        announce(code.region, " - добавление записи");
        const SourceRecord r(kladr, in);
        if (code.settlement != "000") {
            nas.append();
            nas.setStringAt(na.name, r.name);
            nas.setStringAt(na.tip, socr_.GetSocrCode('4', r.socr));
            nas.setStringAt(na.kodreg, code.region);
            nas.setStringAt(na.kodrai, code.district);
            nas.setStringAt(na.kodtow, code.town);
            nas.setStringAt(na.kodnas, code.settlement);
            nas.setStringAt(na.pindex, r.index);
            nas.setStringAt(na.gninmb, r.gninmb);
            nas.post();
            ++result_.settlements;
        } else if (code.town != "000") {
            tow.append();
            tow.setStringAt(to.name, r.name);
            tow.setStringAt(to.tip, socr_.GetSocrCode('3', r.socr));
            tow.setStringAt(to.kodreg, code.region);
            tow.setStringAt(to.kodrai, code.district);
            tow.setStringAt(to.kodtow, code.town);
            tow.setStringAt(to.pindex, r.index);
            tow.setStringAt(to.gninmb, r.gninmb);
            tow.post();
            ++result_.towns;
        } else if (code.district != "000") {
            rai.append();
            rai.setStringAt(ra.name, r.name);
            rai.setStringAt(ra.tip, socr_.GetSocrCode('2', r.socr));
            rai.setStringAt(ra.kodreg, code.region);
            rai.setStringAt(ra.kodrai, code.district);
            rai.setStringAt(ra.pindex, r.index);
            rai.setStringAt(ra.gninmb, r.gninmb);
            rai.post();
            ++result_.districts;
        }
    }
}

void KladrLoader::streetPass(engine::Table& street) {
    announced_.clear();
    engine::Table& uli = targets_[kUli];
    engine::Table& dom = targets_[kDom];
    static const std::string house = "ДОМ";  // six bytes in UTF-8, as is "дом"
    const SourceFields in(street);
    const TargetFields ul(uli), dm(dom);
    for (street.first(); !street.eof(); street.next(), tick()) {
        const KladrCode code = KladrCode::parse(street.rawFieldAt(in.code), street.codePage());
        if (!marked(code.region)) continue;
        const SourceRecord r(street, in);
        if (r.socr.size() == house.size() && engine::upperUtf8(r.socr) == house) {
            announce(code.region, " - добавление домов");
            dom.append();
            dom.setStringAt(dm.name, r.name);
            dom.setStringAt(dm.kodreg, code.region);
            dom.setStringAt(dm.kodrai, code.district);
            dom.setStringAt(dm.kodtow, code.town);
            dom.setStringAt(dm.kodnas, code.settlement);
            dom.setStringAt(dm.koduli, code.street);
            dom.setStringAt(dm.pindex, r.index);
            dom.setStringAt(dm.gninmb, r.gninmb);
            dom.post();
            ++result_.houses;
        } else {
            announce(code.region, " - добавление улиц");
            uli.append();
            uli.setStringAt(ul.name, r.name);
            uli.setStringAt(ul.tip, socr_.GetSocrCode('5', r.socr));
            uli.setStringAt(ul.kodreg, code.region);
            uli.setStringAt(ul.kodrai, code.district);
            uli.setStringAt(ul.kodtow, code.town);
            uli.setStringAt(ul.kodnas, code.settlement);
            uli.setStringAt(ul.koduli, code.street);
            uli.setStringAt(ul.pindex, r.index);
            uli.setStringAt(ul.gninmb, r.gninmb);
            uli.post();
            ++result_.streets;
        }
    }
}

}  // namespace kvzt::classifier
