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

// The fields read from a source record, as UTF-8 text.
struct SourceRecord {
    std::string name;
    std::string socr;
    std::string index;
    std::string gninmb;

    explicit SourceRecord(const engine::Table& t)
        : name(t.asString("NAME")),
          socr(t.asString("SOCR")),
          index(t.asString("INDEX")),
          gninmb(t.asString("GNINMB")) {}
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
    for (kladr.first(); !kladr.eof(); kladr.next(), tick()) {
        const KladrCode code = KladrCode::parse(kladr.rawField("CODE"), kladr.codePage());
        if (code.isRegionRecord() || !marked(code.region)) continue;
        announce(code.region, " - добавление записи");
        const SourceRecord r(kladr);
        if (code.settlement != "000") {
            nas.append();
            nas.setString("NAME", r.name);
            nas.setString("TIP", socr_.GetSocrCode('4', r.socr));
            nas.setString("KODREG", code.region);
            nas.setString("KODRAI", code.district);
            nas.setString("KODTOW", code.town);
            nas.setString("KODNAS", code.settlement);
            nas.setString("PINDEX", r.index);
            nas.setString("GNINMB", r.gninmb);
            nas.post();
            ++result_.settlements;
        } else if (code.town != "000") {
            tow.append();
            tow.setString("NAME", r.name);
            tow.setString("TIP", socr_.GetSocrCode('3', r.socr));
            tow.setString("KODREG", code.region);
            tow.setString("KODRAI", code.district);
            tow.setString("KODTOW", code.town);
            tow.setString("PINDEX", r.index);
            tow.setString("GNINMB", r.gninmb);
            tow.post();
            ++result_.towns;
        } else if (code.district != "000") {
            rai.append();
            rai.setString("NAME", r.name);
            rai.setString("TIP", socr_.GetSocrCode('2', r.socr));
            rai.setString("KODREG", code.region);
            rai.setString("KODRAI", code.district);
            rai.setString("PINDEX", r.index);
            rai.setString("GNINMB", r.gninmb);
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
    for (street.first(); !street.eof(); street.next(), tick()) {
        const KladrCode code = KladrCode::parse(street.rawField("CODE"), street.codePage());
        if (!marked(code.region)) continue;
        const SourceRecord r(street);
        if (r.socr.size() == house.size() && engine::upperUtf8(r.socr) == house) {
            announce(code.region, " - добавление домов");
            dom.append();
            dom.setString("NAME", r.name);
            dom.setString("KODREG", code.region);
            dom.setString("KODRAI", code.district);
            dom.setString("KODTOW", code.town);
            dom.setString("KODNAS", code.settlement);
            dom.setString("KODULI", code.street);
            dom.setString("PINDEX", r.index);
            dom.setString("GNINMB", r.gninmb);
            dom.post();
            ++result_.houses;
        } else {
            announce(code.region, " - добавление улиц");
            uli.append();
            uli.setString("NAME", r.name);
            uli.setString("TIP", socr_.GetSocrCode('5', r.socr));
            uli.setString("KODREG", code.region);
            uli.setString("KODRAI", code.district);
            uli.setString("KODTOW", code.town);
            uli.setString("KODNAS", code.settlement);
            uli.setString("KODULI", code.street);
            uli.setString("PINDEX", r.index);
            uli.setString("GNINMB", r.gninmb);
            uli.post();
            ++result_.streets;
        }
    }
}

}  // namespace kvzt::classifier
