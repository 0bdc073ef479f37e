// kvzt-cli kladr import DIR --regions all|CODE,.. [--no-streets]
// kvzt-cli kladr delete --regions all|CODE,..
// Marks the regions in K1REG and runs the classifier run, as the region
// selection window and the run's window do, with the status on stderr.

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

#include "classifier/kladr_process.h"
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "data/data_module.h"
#include "data/path_helpers.h"
#include "engine/path_util.h"
#include "engine/session.h"

namespace kvzt::cli {

namespace {

// One stderr line per status text, with the gauge's share done.
class StderrKladrProgress final : public classifier::KladrProgress {
public:
    void setMaximum(int maximum) override { maximum_ = maximum; }
    void advance(int steps) override { position_ += steps; }
    void setPosition(int position) override { position_ = position; }
    void setStatusText(const QString& text) override {
        const int percent = maximum_ > 0 ? int(100LL * std::min(position_, maximum_) / maximum_) : 0;
        err(formatText("[%3d%%] ", percent) + text.toStdString() + "\n");
    }

private:
    int maximum_ = 0;
    int position_ = 0;
};

// "all", or region codes separated by commas; a one-digit code gets its "0".
QStringList regionCodes(const std::string& text) {
    QStringList codes;
    for (const QString& part : QString::fromStdString(text).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QString code = part.trimmed();
        if (code.isEmpty()) continue;
        if (code.size() == 1 && code[0].isDigit()) code.prepend(QLatin1Char('0'));
        codes << code;
    }
    return codes;
}

void markRegions(data::TdmKVZT& dm, const std::string& regions) {
    if (regions == "all") {
        classifier::SetAllRegionMarks(dm, true);
        return;
    }
    const QStringList codes = regionCodes(regions);
    if (codes.isEmpty()) throw UsageError("--regions ожидает all или коды регионов через запятую");
    if (!classifier::MarkRegions(dm, codes)) {
        throw UsageError("в справочнике регионов (K1REG) нет региона с одним из кодов " + regions);
    }
}

bool fileIn(const QString& dir, const char* name) {
    return engine::findFileNoCase(dir.toStdString(), name).has_value();
}

void printLoaded(const classifier::KladrResult& r) {
    out("Импорт КЛАДР выполнен для регионов: " + r.regionsDone.join(QStringLiteral(", ")).toStdString() + "\n");
    out(formatText("Добавлено: районов %d, городов %d, нас. пунктов %d, улиц %d, домов %d, новых сокращений %d\n",
                   r.districts, r.towns, r.settlements, r.streets, r.houses, r.newAbbreviations));
}

}  // namespace

int runKladr(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {"--regions"}, {"--no-streets"});
    if (args.positional.empty()) throw UsageError("kladr ожидает import КАТАЛОГ или delete");
    const std::string action = args.positional[0];
    const std::optional<std::string> regions = args.value("--regions");
    if (!regions) throw UsageError("kladr " + action + " ожидает --regions all|КОД,КОД..");

    classifier::KladrRequest request;
    if (action == "import") {
        if (args.positional.size() != 2) throw UsageError("kladr import ожидает один КАТАЛОГ");
        const QString dir = QString::fromStdString(args.positional[1]);
        if (!QFileInfo(dir).isDir() || !fileIn(dir, "kladr.dbf")) {
            err("Отсутствует файл классификатора (Kladr.dbf)\nИмпорт не возможен\n");
            return kExitError;
        }
        request.impStreets = !args.has("--no-streets");
        if (request.impStreets && !fileIn(dir, "street.dbf")) {
            err("На указанном пути отсутствует классификатор улиц (файл street.dbf).\n"
                "Улицы не будут импортированы: чтобы продолжить без них, добавьте ключ --no-streets\n");
            return kExitError;
        }
        request.kladrDir = classifier::KladrDirFrom(QFileInfo(dir).absoluteFilePath());
    } else if (action == "delete") {
        if (args.positional.size() != 1) throw UsageError("kladr delete не принимает КАТАЛОГ");
        if (args.has("--no-streets")) throw UsageError("--no-streets относится только к kladr import");
    } else {
        throw UsageError("неизвестное действие kladr \"" + action + "\" (import или delete)");
    }

    const std::unique_ptr<engine::Session> session = openSession(args);
    data::TdmKVZT dm(*session);
    markRegions(dm, *regions);
    StderrKladrProgress progress;
    const classifier::KladrResult result = classifier::KladrProcess(dm, request, progress);
    if (request.deletionMode()) {
        out("Удалены записи КЛАДР регионов: " + result.regionsDone.join(QStringLiteral(", ")).toStdString() + "\n");
    } else {
        printLoaded(result);
    }
    return kExitOk;
}

}  // namespace kvzt::cli
