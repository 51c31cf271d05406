#include "tools/sim/Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr double kLifeLostShots = 20.0;
constexpr double kNotClearedShots = 50.0;

int32_t CountBalls(const LevelBytes& level) {
    int32_t balls = 0;
    for (size_t offset = 0; offset + 8 <= level.bytes.size(); offset += 8) {
        const int32_t colour = static_cast<int32_t>(static_cast<uint32_t>(level.bytes[offset]) |
                                                    static_cast<uint32_t>(level.bytes[offset + 1]) << 8 |
                                                    static_cast<uint32_t>(level.bytes[offset + 2]) << 16 |
                                                    static_cast<uint32_t>(level.bytes[offset + 3]) << 24);
        balls += colour == BallColour::Empty ? 0 : 1;
    }
    return balls;
}

double Share(int64_t part, int64_t whole) {
    return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

void Append(std::string& out, const char* format, double a, double b = 0.0, double c = 0.0, double d = 0.0) {
    char text[256];
    std::snprintf(text, sizeof(text), format, a, b, c, d);
    out += text;
}
}  // namespace

double LevelMeasure::CleanShare() const {
    return Share(clearedClean, games);
}

double LevelMeasure::MeanShots() const {
    return Share(shots, games);
}

double LevelMeasure::MeanLivesLost() const {
    return Share(livesLost, games);
}

double LevelMeasure::ShotsPerBall() const {
    return balls > 0 ? MeanShots() / balls : 0.0;
}

double LevelMeasure::Difficulty() const {
    return MeanShots() + kLifeLostShots * MeanLivesLost() + kNotClearedShots * (1.0 - Share(cleared, games));
}

void AddGame(LevelMeasure& measure, const LevelResult& result) {
    measure.games += 1;
    measure.cleared += result.cleared ? 1 : 0;
    measure.clearedClean += (result.cleared && result.livesLost == 0) ? 1 : 0;
    measure.shots += result.shots;
    measure.livesLost += result.livesLost;
}

std::vector<LevelMeasure> MeasurePack(const std::vector<LevelBytes>& levels, const ReportOptions& options) {
    std::vector<LevelMeasure> measures;
    CBot bot;
    CPlayfield playfield;
    SimOptions sim;
    sim.difficulty = options.difficulty;
    for (const LevelBytes& level : levels) {
        LevelMeasure measure;
        measure.name = level.name;
        measure.balls = CountBalls(level);
        for (int32_t game = 0; game < options.seeds; ++game) {
            sim.seed = options.firstSeed + static_cast<uint32_t>(game);
            AddGame(measure, PlayLevel(playfield, level, sim, bot));
        }
        measures.push_back(measure);
    }
    return measures;
}

std::vector<double> Difficulties(const std::vector<LevelMeasure>& measures) {
    std::vector<double> out;
    for (const LevelMeasure& measure : measures) {
        out.push_back(measure.Difficulty());
    }
    return out;
}

std::string FormatReportTable(const std::vector<LevelMeasure>& measures, const ReportOptions& options) {
    std::string out;
    Append(out, "Bot games at difficulty %.0f, %.0f seeds per level from seed %.0f.\n\n", options.difficulty,
           options.seeds, options.firstSeed);
    out += "| Level | Balls | Cleared | Without a lost life | Mean shots | Lives lost | Shots per ball | Difficulty |\n";
    out += "|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (size_t i = 0; i < measures.size(); ++i) {
        const LevelMeasure& m = measures[i];
        Append(out, "| %.0f | %.0f ", static_cast<double>(i + 1), m.balls);
        Append(out, "| %.0f/%.0f | %.0f %% ", m.cleared, m.games, 100.0 * m.CleanShare());
        Append(out, "| %.1f | %.2f | %.2f ", m.MeanShots(), m.MeanLivesLost(), m.ShotsPerBall());
        Append(out, "| %.1f |\n", m.Difficulty());
    }
    return out;
}

std::string FormatCurveSvg(const std::vector<LevelMeasure>& measures) {
    constexpr double kWidth = 800.0, kHeight = 320.0;
    constexpr double kLeft = 50.0, kRight = 20.0, kTop = 30.0, kBottom = 40.0;
    const double plotWidth = kWidth - kLeft - kRight;
    const double plotHeight = kHeight - kTop - kBottom;
    double highest = 20.0;
    for (const LevelMeasure& m : measures) {
        highest = std::max(highest, m.Difficulty());
    }
    const double top = std::ceil(highest / 20.0) * 20.0;
    const size_t count = measures.size();
    const auto x = [&](size_t index) {
        return kLeft + (count > 1 ? plotWidth * static_cast<double>(index) / static_cast<double>(count - 1) : 0.0);
    };
    const auto y = [&](double value) { return kTop + plotHeight * (1.0 - value / top); };

    std::string out;
    Append(out, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" ", kWidth, kHeight);
    Append(out, "viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\" font-size=\"11\">\n", kWidth, kHeight);
    Append(out, "<rect width=\"%.0f\" height=\"%.0f\" fill=\"#ffffff\"/>\n", kWidth, kHeight);
    Append(out, "<text x=\"%.0f\" y=\"18\" font-size=\"14\" text-anchor=\"middle\">", kWidth / 2);
    out += "Measured difficulty of each level (bot games at normal difficulty)</text>\n";
    for (int32_t line = 0; line <= 4; ++line) {
        const double value = top * line / 4.0;
        Append(out, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#dddddd\"/>\n", kLeft, y(value),
               kWidth - kRight, y(value));
        Append(out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%.0f</text>\n", kLeft - 6, y(value) + 4, value);
    }
    for (size_t i = 0; i < count; i += 10) {
        Append(out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%.0f</text>\n", x(i), kHeight - kBottom + 16,
               static_cast<double>(i + 1));
    }
    Append(out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">level</text>\n", kLeft + plotWidth / 2,
           kHeight - 6);
    out += "<polyline fill=\"none\" stroke=\"#2b6cb0\" stroke-width=\"2\" points=\"";
    for (size_t i = 0; i < count; ++i) {
        Append(out, i == 0 ? "%.1f,%.1f" : " %.1f,%.1f", x(i), y(measures[i].Difficulty()));
    }
    out += "\"/>\n";
    for (size_t i = 0; i < count; ++i) {
        // Levels the bot lost lives on are marked in red.
        const char* colour = measures[i].livesLost > 0 ? "#c53030" : "#2b6cb0";
        Append(out, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3\" ", x(i), y(measures[i].Difficulty()));
        out += std::string("fill=\"") + colour + "\"/>\n";
    }
    out += "</svg>\n";
    return out;
}

bool CheckPackOrder(const std::vector<double>& difficulties, const OrderRules& rules, std::string& error) {
    error.clear();
    const size_t count = difficulties.size();
    for (size_t i = 0; i + 1 < count; ++i) {
        const size_t end = std::min(count, i + 1 + static_cast<size_t>(rules.window));
        double hardestAfter = 0.0;
        for (size_t j = i + 1; j < end; ++j) {
            hardestAfter = std::max(hardestAfter, difficulties[j]);
        }
        if (difficulties[i] > hardestAfter * rules.factor) {
            char line[160];
            std::snprintf(line, sizeof(line), "level %zu (difficulty %.1f) is far harder than levels %zu-%zu (at most %.1f)\n",
                          i + 1, difficulties[i], i + 2, end, hardestAfter);
            error += line;
        }
    }
    return error.empty();
}
