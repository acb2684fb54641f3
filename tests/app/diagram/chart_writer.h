#pragma once

// Generated charts for the layout tests: every kind of box, nested branches and loops, notes,
// chinks and page breaks, the same for every run of a seed.

#include <QString>
#include <QStringList>

#include <random>

namespace layout_test {

// A chart of every kind of box, nested branches and loops, notes, chinks and page breaks,
// the same for every run.
class ChartWriter {
public:
    explicit ChartWriter(unsigned seed) : random_(seed) {}

    QStringList Routine(int boxes)
    {
        lines_ = {"&&routine", "&&text", "Routine"};
        List(boxes, 0, false);
        lines_ << "&&end-routine";
        return lines_;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    QString Text()
    {
        static const char* const words[] = {"count", "合計を求める", "i = 0", "ファイルを開く", "x", "処理"};
        QStringList lines;
        for (int i = 0, n = 1 + Pick(3); i < n; ++i)
            lines << QString::fromUtf8(words[Pick(6)]);
        return lines.join(QStringLiteral("\r\n"));
    }

    void Simple(const char* tag)
    {
        lines_ << tag;
        if (Pick(8) == 0)
            lines_ << "&&lowerPage";
        lines_ << "&&text" << Text().split(QStringLiteral("\r\n"));
    }

    void List(int boxes, int depth, bool inLoop)
    {
        for (int i = 0; i < boxes; ++i) {
            const int kind = depth < 4 ? Pick(14) : Pick(9);
            switch (kind) {
            case 0: Simple("&&block"); break;
            case 1: Simple("&&declare"); break;
            case 2: Simple("&&input"); break;
            case 3: Simple("&&output"); break;
            case 4: Simple("&&external"); break;
            case 5: Simple("&&note"); break;
            case 6: Simple("&&label"); break;
            case 7:
                if (inLoop)
                    lines_ << (Pick(2) ? "&&break" : "&&continue");
                else
                    Simple("&&jump");
                break;
            case 8:
                lines_ << "&&freeStyle" << "&&style" << "leftuppercorner:curve" << "rightlowercorner:cut"
                       << (Pick(2) ? "upperline:on" : "leftline:on") << (Pick(2) ? "overlap:horizontal" : "overlap:off")
                       << "&&text" << "free";
                break;
            case 9:
            case 10:
                lines_ << "&&loop" << (Pick(2) ? "&&before" : "&&after");
                if (Pick(6) == 0)
                    lines_ << "&&rightPage";
                lines_ << "&&text" << Text().split(QStringLiteral("\r\n"));
                List(1 + Pick(3), depth + 1, true);
                lines_ << "&&end-loop";
                break;
            default:
                lines_ << "&&branch" << "&&text" << Text().split(QStringLiteral("\r\n"));
                for (int c = 0, n = 1 + Pick(3); c < n; ++c) {
                    lines_ << "&&case";
                    if (Pick(6) == 0)
                        lines_ << "&&rightPage";
                    lines_ << "&&text" << QStringLiteral("case %1").arg(c);
                    if (Pick(5) != 0)
                        List(1 + Pick(3), depth + 1, inLoop);
                }
                lines_ << "&&end-branch";
                break;
            }
            if (i + 1 < boxes && Pick(10) == 0)
                lines_ << "&&chink";
        }
    }

    std::mt19937 random_;
    QStringList lines_;
};

} // namespace layout_test
