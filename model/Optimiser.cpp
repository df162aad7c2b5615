#include "model/Optimiser.h"

#include "model/Band.h"
#include "model/Diagram.h"
#include "model/SignalTiming.h"
#include "model/TimingEdits.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// Thrown out of the search when the caller stops it.
struct Stopped {};

std::int32_t Wrap(std::int64_t Value, std::int32_t Modulus) {
    const std::int64_t r = Value % Modulus;
    return static_cast<std::int32_t>(r < 0 ? r + Modulus : r);
}

// Values that agree to this share are the same band: weighted sums of the same widths may be
// formed in another order.
bool Same(double A, double B) {
    return std::fabs(A - B) <= 1e-9 * std::max(1.0, std::fabs(B));
}

// How the delay objective ranks plans: a plan the window could not apply as it stands (the
// crossroad's share would be cut), then one with failing junctions, is worse than any other.
struct Score {
    bool Usable = true;
    std::int32_t Failing = 0;
    double Index = 0.0;
};

bool Better(const Score &A, const Score &B) {
    if (A.Usable != B.Usable) {
        return A.Usable;
    }
    if (A.Failing != B.Failing) {
        return A.Failing < B.Failing;
    }
    return A.Index < B.Index;
}

std::int32_t FailingJunctions(const ArterialEvaluation &Result) {
    std::int32_t failing = 0;
    for (const JunctionEvaluation &j : Result.Junctions) {
        failing += j.South.Passage.CycleFailure || j.North.Passage.CycleFailure ? 1 : 0;
    }
    return failing;
}

double PerformanceIndex(const ArterialPlan &Plan, const ArterialEvaluation &Result,
                        double StopPenalty) {
    const std::int32_t cycle = Plan.Signals[1].CycleTime;
    if (cycle <= 0) {
        return 0.0;
    }
    // Platoon seconds x seconds a cycle of JCT #1, at SatHeadway platoon seconds a vehicle:
    // vehicle-seconds a second, which is vehicle-hours an hour.
    const auto direction = [StopPenalty](const DirectionMeasures &m) {
        return m.TotalDelay + StopPenalty * m.Stops * m.Flow;
    };
    return (direction(Result.South) + direction(Result.North)) / (SatHeadway * cycle);
}

// Every plan is evaluated as the window evaluates it after applying it as one edit: the
// crossroad's maximum from the links as the last evaluation left them, then the evaluation
// from there. The count of evaluations and the caller's progress go along.
class Trials {
  public:
    Trials(const PerLink<LinkSets> &Base, const OptimiseProgress &Progress, double StopPenalty)
        : FBase(Base), FProgress(Progress), FStopPenalty(StopPenalty) {}

    const ArterialEvaluation &Run(const ArterialPlan &Plan) {
        FResult.Links = FBase;
        FEntering = EnteringMaximum(FResult.Links, Plan);
        Evaluate(Plan, FResult);
        if ((++FCount & 255) == 0) {
            Report();
        }
        return FResult;
    }

    Score ScoreOf(const ArterialPlan &Plan) { return ScoreOf(Plan, Run(Plan)); }
    // The rank of the plan last run, whose evaluation R is.
    Score ScoreOf(const ArterialPlan &Plan, const ArterialEvaluation &r) const {
        return {FEntering >= Plan.EnteringPercent, FailingJunctions(r),
                PerformanceIndex(Plan, r, FStopPenalty)};
    }

    std::int32_t Entering() const { return FEntering; }
    std::int64_t Count() const { return FCount; }

    // The next stretch of the search runs from From to To of the whole and takes Work units.
    void Phase(double From, double To, double Work) {
        FFrom = From;
        FTo = To;
        FWork = std::max(Work, 1.0);
        FDone = 0.0;
        Report();
    }
    void Advance(double Work) {
        FDone += Work;
        Report();
    }

  private:
    void Report() {
        if (FProgress && !FProgress(FFrom + (FTo - FFrom) * std::min(1.0, FDone / FWork))) {
            throw Stopped{};
        }
    }

    PerLink<LinkSets> FBase;
    OptimiseProgress FProgress;
    double FStopPenalty;
    ArterialEvaluation FResult;
    std::int32_t FEntering = 0;
    std::int64_t FCount = 0;
    double FFrom = 0.0;
    double FTo = 1.0;
    double FWork = 1.0;
    double FDone = 0.0;
};

std::vector<int> Unlocked(const PerJunction<bool> &Locked) {
    std::vector<int> free;
    for (int k = 1; k <= JunctionCount; ++k) {
        if (!Locked[k]) {
            free.push_back(k);
        }
    }
    return free;
}

bool OneCycle(const ArterialPlan &Plan) {
    return std::all_of(Plan.Signals.begin(), Plan.Signals.end(), [&Plan](const JunctionSignal &s) {
        return s.CycleTime == Plan.Signals[1].CycleTime;
    });
}

// The plan at one cycle everywhere: a junction already at that cycle keeps its durations,
// the others derive them from their shares as a cycle edit does; a free junction's offset is
// wrapped into the cycle. Nothing when a junction cannot hold the cycle, or a locked offset
// does not fit it.
std::optional<ArterialPlan> AtCycle(const ArterialPlan &Start, std::int32_t Cycle,
                                    const PerJunction<bool> &Locked) {
    ArterialPlan plan = Start;
    for (int k = 1; k <= JunctionCount; ++k) {
        JunctionSignal &s = plan.Signals[k];
        if (s.CycleTime != Cycle) {
            s.CycleTime = Cycle;
            s.Times = DeriveDurations(Cycle, s.PercentRed, s.PercentGreen);
            if (TimingUnreachable(StripWidth, {Cycle, s.PercentRed, s.PercentGreen, s.Times})) {
                return std::nullopt;
            }
            if (Locked[k] && s.CycleOffset >= Cycle) {
                return std::nullopt;
            }
        }
        if (!Locked[k]) {
            s.CycleOffset = Wrap(s.CycleOffset, Cycle);
        }
    }
    return plan;
}

// --- The widest band --------------------------------------------------------------------

// One cycle everywhere: each junction's green window (as the band counts it) and the seconds
// from each direction's first junction to it.
struct BandGeometry {
    std::int32_t Cycle = 0;
    PerJunction<std::int32_t> Green{};
    PerJunction<std::int32_t> SouthReach{};
    PerJunction<std::int32_t> NorthReach{};
};

BandGeometry GeometryOf(const ArterialPlan &Plan) {
    BandGeometry g;
    g.Cycle = Plan.Signals[1].CycleTime;
    for (int k = 1; k <= JunctionCount; ++k) {
        const GreenWindows w = ComputeGreenWindows(g.Cycle, 0, Plan.Signals[k].Times);
        g.Green[k] = w.End[1] - w.Start[1];
    }
    PerLink<std::int32_t> south{};
    PerLink<std::int32_t> north{};
    for (int k = 1; k <= LinkCount; ++k) {
        const LinkMeasure m = PlanLink(Plan, k);
        south[k] = m.SouthboundSeconds;
        north[k] = m.NorthboundSeconds;
    }
    g.SouthReach = BandReach(BandDirection::Southbound, south);
    g.NorthReach = BandReach(BandDirection::Northbound, north);
    return g;
}

// Two bands placed against each other: the southbound band's first trajectory crosses JCT #1
// at X, the northbound one's crosses JCT #6 at Y (both within the cycle), with these widths.
// A width of 0 leaves that direction out: any trajectory of it is welcome but none is needed.
struct BandChoice {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t South = 0;
    std::int32_t North = 0;
};

struct BandBest {
    double Value = -1.0;  // the weighted two-way band, seconds
    std::int32_t Sum = 0; // the two widths
    std::vector<BandChoice> Choices;
};

// Equally good placements kept to choose among by delay and stops.
constexpr std::size_t MaxChoices = 4096;

void Consider(BandBest &Best, double Value, std::int32_t Sum, const BandChoice &Choice) {
    const bool same = Same(Value, Best.Value);
    if ((!same && Value > Best.Value) || (same && Sum > Best.Sum)) {
        Best.Value = Value;
        Best.Sum = Sum;
        Best.Choices.assign(1, Choice);
    } else if (same && Sum == Best.Sum && Best.Choices.size() < MaxChoices) {
        Best.Choices.push_back(Choice);
    }
}

// A band of width W whose first trajectory reaches junction k at t passes it when the offset
// o puts t at (t - o) mod C within 0 to Green - W of a green's start. So a free junction
// takes the southbound band at a, anywhere from 0 to Green - South, and the northbound band
// then lies at (a - d) mod C, where d follows from the two bands' places alone; a locked
// junction's offset fixes both. Every relative place of the bands and every width is tried;
// the offsets follow from the best. With no locked junction only the bands' relative place
// matters, and the southbound band is put at 0.
BandBest SearchBands(const BandGeometry &G, const ArterialPlan &Plan,
                     const PerJunction<bool> &Locked, const BandWeights &W, Trials &Progress,
                     double WorkPerPlace) {
    const std::int32_t c = G.Cycle;
    std::vector<int> free;
    std::vector<int> locked;
    for (int k = 1; k <= JunctionCount; ++k) {
        (Locked[k] ? locked : free).push_back(k);
    }
    constexpr std::int32_t Open = std::numeric_limits<std::int32_t>::max();
    std::int32_t leastGreen = Open;
    for (const int k : free) {
        leastGreen = std::min(leastGreen, G.Green[k]);
    }
    BandBest best;
    std::vector<std::int32_t> shift(static_cast<std::size_t>(JunctionCount) + 1);
    const std::int32_t places = locked.empty() ? 1 : c;
    for (std::int32_t x = 0; x < places; ++x) {
        for (std::int32_t delta = 0; delta < c; ++delta) {
            const std::int32_t y = Wrap(static_cast<std::int64_t>(x) - delta, c);
            // What the locked junctions leave of each band (negative: no trajectory at all).
            std::int32_t capSouth = Open;
            std::int32_t capNorth = Open;
            for (const int k : locked) {
                const std::int32_t o = Plan.Signals[k].CycleOffset;
                capSouth = std::min(capSouth, G.Green[k] - Wrap(x + G.SouthReach[k] - o, c));
                capNorth = std::min(capNorth, G.Green[k] - Wrap(y + G.NorthReach[k] - o, c));
            }
            const std::int32_t southAlone = std::max(0, std::min(capSouth, leastGreen));
            const std::int32_t northAlone = std::max(0, std::min(capNorth, leastGreen));
            // A band alone depends on its own place only: each is tried once.
            if (delta == 0) {
                Consider(best, W.South * southAlone, southAlone, {x, y, southAlone, 0});
            }
            if (x == 0) {
                Consider(best, W.North * northAlone, northAlone, {x, y, 0, northAlone});
            }
            for (const int k : free) {
                shift[static_cast<std::size_t>(k)] =
                    Wrap(static_cast<std::int64_t>(delta) + G.SouthReach[k] - G.NorthReach[k], c);
            }
            const std::int32_t widest = std::min(capSouth, leastGreen);
            for (std::int32_t south = 1; south <= widest; ++south) {
                std::int32_t north = capNorth;
                for (const int k : free) {
                    const std::int32_t d = shift[static_cast<std::size_t>(k)];
                    const std::int32_t nearest = d <= G.Green[k] - south ? 0 : c - d;
                    north = std::min(north, G.Green[k] - nearest);
                }
                if (north < 1) {
                    break; // a wider southbound band leaves the northbound one no more room
                }
                Consider(best, W.South * south + W.North * north, south + north,
                         {x, y, south, north});
            }
        }
        Progress.Advance(WorkPerPlace);
    }
    return best;
}

// The offsets of a free junction that let the choice's bands through.
std::vector<std::int32_t> OffsetsFor(const BandGeometry &G, int K, const BandChoice &Choice) {
    std::vector<std::int32_t> offsets;
    for (std::int32_t o = 0; o < G.Cycle; ++o) {
        const bool south = Choice.South < 1 || Wrap(Choice.X + G.SouthReach[K] - o, G.Cycle) <=
                                                   G.Green[K] - Choice.South;
        const bool north = Choice.North < 1 || Wrap(Choice.Y + G.NorthReach[K] - o, G.Cycle) <=
                                                   G.Green[K] - Choice.North;
        if (south && north) {
            offsets.push_back(o);
        }
    }
    return offsets;
}

double WeightedBand(const ArterialEvaluation &Result, const BandWeights &W) {
    return W.South * Result.Bands.Southbound.Width + W.North * Result.Bands.Northbound.Width;
}

// Descends to the least delay and stops by one junction's offset at a time, each over all
// the offsets it may take. The plan is left at the best found.
Score DescendWithin(ArterialPlan &Plan, const PerJunction<std::vector<std::int32_t>> &Offsets,
                    const std::vector<int> &Free, Score Best, Trials &T) {
    for (bool improved = true; improved;) {
        improved = false;
        for (const int k : Free) {
            std::int32_t &offset = Plan.Signals[k].CycleOffset;
            const std::int32_t kept = offset;
            std::int32_t chosen = kept;
            for (const std::int32_t o : Offsets[k]) {
                if (o == kept) {
                    continue;
                }
                offset = o;
                const Score s = T.ScoreOf(Plan);
                if (Better(s, Best)) {
                    Best = s;
                    chosen = o;
                }
            }
            offset = chosen;
            improved = improved || chosen != kept;
        }
    }
    return Best;
}

// The plan of a band choice, the free junctions at the middle of the offsets it leaves them.
ArterialPlan PlanOfChoice(ArterialPlan Plan, const BandGeometry &G, const std::vector<int> &Free,
                          const BandChoice &Choice,
                          PerJunction<std::vector<std::int32_t>> &Offsets) {
    for (const int k : Free) {
        Offsets[k] = OffsetsFor(G, k, Choice);
        if (!Offsets[k].empty()) {
            Plan.Signals[k].CycleOffset = Offsets[k][Offsets[k].size() / 2];
        }
    }
    return Plan;
}

struct Proposal {
    ArterialPlan Plan;
    Score Rank;
    bool Exact = false;
};

// Among the widest-band placements, the one with the least delay and stops: a spread of them
// is evaluated, the best few descend within the offsets that keep their bands, and the model's
// own band is checked to be the one found.
std::optional<Proposal> ChooseBand(const ArterialPlan &Plan, const BandGeometry &G,
                                   const BandBest &Best, const std::vector<int> &Free,
                                   const BandWeights &W, Trials &T) {
    constexpr std::size_t Sampled = 48;
    constexpr std::size_t Refined = 3;
    const std::size_t count = Best.Choices.size();
    const std::size_t step = std::max<std::size_t>(1, count / Sampled);
    struct Tried {
        BandChoice Choice;
        Score Rank;
    };
    std::vector<Tried> tried;
    PerJunction<std::vector<std::int32_t>> offsets;
    const bool allFree = Free.size() == static_cast<std::size_t>(JunctionCount);
    for (std::size_t i = 0; i < count && tried.size() < Sampled; i += step) {
        Tried t{Best.Choices[i], T.ScoreOf(PlanOfChoice(Plan, G, Free, Best.Choices[i], offsets))};
        if (allFree) {
            // With nothing locked the bands may lie anywhere against the time the traffic
            // enters: every place of the whole arterial keeps them.
            for (std::int32_t shift = 1; shift < G.Cycle; ++shift) {
                BandChoice moved = Best.Choices[i];
                moved.X = Wrap(moved.X + shift, G.Cycle);
                moved.Y = Wrap(moved.Y + shift, G.Cycle);
                const Score rank = T.ScoreOf(PlanOfChoice(Plan, G, Free, moved, offsets));
                if (Better(rank, t.Rank)) {
                    t = {moved, rank};
                }
            }
        }
        tried.push_back(t);
        T.Advance(1.0);
    }
    std::stable_sort(tried.begin(), tried.end(),
                     [](const Tried &a, const Tried &b) { return Better(a.Rank, b.Rank); });
    std::optional<Proposal> chosen;
    std::optional<Proposal> unconfirmed;
    std::size_t refined = 0;
    for (const Tried &t : tried) {
        if (refined == Refined) {
            break;
        }
        ArterialPlan plan = PlanOfChoice(Plan, G, Free, t.Choice, offsets);
        const Score rank = DescendWithin(plan, offsets, Free, t.Rank, T);
        const bool confirmed = Same(WeightedBand(T.Run(plan), W), Best.Value);
        std::optional<Proposal> &slot = confirmed ? chosen : unconfirmed;
        if (!slot || Better(rank, slot->Rank)) {
            slot = Proposal{plan, rank, confirmed};
        }
        refined += confirmed ? 1 : 0;
        T.Advance(5.0);
    }
    return chosen ? chosen : unconfirmed;
}

// --- The least delay and stops ------------------------------------------------------------

// A move of the descent: some free junctions' offsets shifted by the same seconds.
using Group = std::vector<int>;

std::vector<Group> MovesOf(const std::vector<int> &Free) {
    std::vector<Group> moves;
    for (const int k : Free) {
        moves.push_back({k});
    }
    // Every free junction together (the arterial against the time its traffic enters), and
    // the junctions from one on down or from one on up together: one link's offset changes
    // while the rest of the arterial keeps its relations.
    if (Free.size() > 1) {
        moves.push_back(Free);
    }
    for (std::size_t split = 2; split + 1 <= Free.size(); ++split) {
        moves.emplace_back(Free.begin(), Free.begin() + static_cast<std::ptrdiff_t>(split));
    }
    for (std::size_t split = 1; split + 2 <= Free.size(); ++split) {
        moves.emplace_back(Free.begin() + static_cast<std::ptrdiff_t>(split), Free.end());
    }
    return moves;
}

Score Descend(ArterialPlan &Plan, const std::vector<Group> &Moves, Score Best, Trials &T) {
    std::int32_t longest = 0;
    for (const JunctionSignal &s : Plan.Signals) {
        longest = std::max(longest, s.CycleTime);
    }
    ArterialPlan trial = Plan;
    for (bool improved = true; improved;) {
        improved = false;
        for (const Group &move : Moves) {
            std::int32_t chosen = 0;
            for (std::int32_t shift = 1; shift < longest; ++shift) {
                for (const int k : move) {
                    const JunctionSignal &s = Plan.Signals[k];
                    trial.Signals[k].CycleOffset = Wrap(s.CycleOffset + shift, s.CycleTime);
                }
                const Score s = T.ScoreOf(trial);
                if (Better(s, Best)) {
                    Best = s;
                    chosen = shift;
                }
            }
            for (const int k : move) {
                JunctionSignal &s = Plan.Signals[k];
                s.CycleOffset = Wrap(s.CycleOffset + chosen, s.CycleTime);
                trial.Signals[k].CycleOffset = s.CycleOffset;
            }
            improved = improved || chosen != 0;
        }
    }
    return Best;
}

// The first band placement at the plan's one cycle, as a start for the descent.
std::optional<ArterialPlan> BandSeed(const ArterialPlan &Plan, const PerJunction<bool> &Locked,
                                     const BandWeights &W, Trials &T) {
    if (!OneCycle(Plan)) {
        return std::nullopt;
    }
    const BandGeometry g = GeometryOf(Plan);
    // A start of the search, no share of its own: the progress stays where it is.
    const BandBest best = SearchBands(g, Plan, Locked, W, T, 0.0);
    if (best.Choices.empty()) {
        return std::nullopt;
    }
    PerJunction<std::vector<std::int32_t>> offsets;
    return PlanOfChoice(Plan, g, Unlocked(Locked), best.Choices.front(), offsets);
}

// Descents from the plan and from its band placement, then from offsets drawn at random and
// from the best plan so far with a few junctions moved at random, in turn; the best plan.
Proposal SearchDelay(const ArterialPlan &Plan, const PerJunction<bool> &Locked,
                     const BandWeights &W, std::int32_t FurtherStarts, std::uint32_t Seed,
                     Trials &T) {
    const std::vector<int> free = Unlocked(Locked);
    const std::vector<Group> moves = MovesOf(free);
    std::vector<ArterialPlan> seeds{Plan};
    if (std::optional<ArterialPlan> seed = BandSeed(Plan, Locked, W, T)) {
        seeds.push_back(*seed);
    }
    Proposal best{Plan, T.ScoreOf(Plan), false};
    const auto descend = [&](ArterialPlan start) {
        const Score rank = Descend(start, moves, T.ScoreOf(start), T);
        if (Better(rank, best.Rank)) {
            best = {start, rank, false};
        }
        T.Advance(1.0);
    };
    if (FurtherStarts == 0 && seeds.size() > 1) {
        // A first look at a cycle: one descent, from the better start.
        descend(Better(T.ScoreOf(seeds[1]), best.Rank) ? seeds[1] : seeds[0]);
        return best;
    }
    for (const ArterialPlan &seed : seeds) {
        descend(seed);
    }
    std::mt19937 random(Seed);
    const auto draw = [&random](std::int32_t Below) {
        return static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(Below));
    };
    for (std::int32_t i = 0; i < FurtherStarts; ++i) {
        ArterialPlan start = i % 2 == 0 ? Plan : best.Plan;
        const std::size_t moved =
            i % 2 == 0 ? free.size() : std::min<std::size_t>(free.size(), 2 + i % 3);
        for (std::size_t n = 0; n < moved; ++n) {
            const int k =
                i % 2 == 0
                    ? free[n]
                    : free[static_cast<std::size_t>(draw(static_cast<std::int32_t>(free.size())))];
            JunctionSignal &s = start.Signals[k];
            s.CycleOffset = draw(s.CycleTime);
        }
        descend(start);
    }
    return best;
}

// The random starts of a delay search at one cycle, at the dialog's effort.
constexpr std::int32_t RandomStartsPerEffort = 24;
// Cycles of a range searched in full after every cycle has had a first descent.
constexpr std::size_t FinalistCycles = 3;

std::string Seconds(std::int32_t Value) {
    return std::to_string(Value) + " s";
}

} // namespace

BandWeights WeightsFor(const ArterialPlan &Plan, const OptimiseRequest &Request) {
    if (Request.Weights) {
        return *Request.Weights;
    }
    if (Plan.SouthVolume == 0 && Plan.NorthVolume == 0) {
        return {1.0, 1.0};
    }
    return {static_cast<double>(Plan.SouthVolume), static_cast<double>(Plan.NorthVolume)};
}

std::optional<std::string> RequestProblem(const ArterialPlan &Plan,
                                          const OptimiseRequest &Request) {
    if (Unlocked(Request.Locked).empty()) {
        return "Every junction is locked: there is no offset left to search.";
    }
    if (Request.Weights) {
        const BandWeights &w = *Request.Weights;
        const bool valid = std::isfinite(w.South) && std::isfinite(w.North) && w.South >= 0.0 &&
                           w.North >= 0.0 && w.South + w.North > 0.0;
        if (!valid) {
            return "The band's weights must be 0 or more, and not both 0.";
        }
    }
    if (!(Request.StopPenalty >= 0.0 && Request.StopPenalty <= MaxStopPenalty)) {
        return "The stop penalty must lie within 0 to " +
               std::to_string(static_cast<int>(MaxStopPenalty)) + " s.";
    }
    if (Request.Effort < 1) {
        return "The search's effort must be 1 or more.";
    }
    const std::int32_t least = LeastReachableCycle(StripWidth);
    const std::int32_t greatest = GreatestReachableCycle(StripWidth);
    if (Request.Cycles) {
        const CycleRange &r = *Request.Cycles;
        if (r.Least < least || r.Greatest > greatest) {
            return "The common cycle must lie within " + std::to_string(least) + " to " +
                   Seconds(greatest) + ".";
        }
        if (r.Least > r.Greatest) {
            return "The cycle range " + std::to_string(r.Least) + " to " + Seconds(r.Greatest) +
                   " is empty: give the least cycle first.";
        }
    } else if (Request.Objective == OptimiseObjective::WidestBand && !OneCycle(Plan)) {
        std::int32_t shortest = greatest;
        std::int32_t longest = 0;
        for (const JunctionSignal &s : Plan.Signals) {
            shortest = std::min(shortest, s.CycleTime);
            longest = std::max(longest, s.CycleTime);
        }
        return "A band needs one cycle at every junction, and the junctions run from " +
               std::to_string(shortest) + " to " + Seconds(longest) +
               ". Search a common cycle, or give the junctions one cycle first.";
    }
    return std::nullopt;
}

PlanFigures FiguresOf(const ArterialPlan &Plan, const ArterialEvaluation &Result,
                      const BandWeights &Weights, double StopPenalty) {
    const auto direction = [](const ProgressionBand &band, const DirectionMeasures &m) {
        return DirectionFigures{band.Width, band.Efficiency, m.DelaySeconds, m.Stops, m.Failure};
    };
    PlanFigures f;
    f.South = direction(Result.Bands.Southbound, Result.South);
    f.North = direction(Result.Bands.Northbound, Result.North);
    const double weight = Weights.South + Weights.North;
    f.WeightedBand = weight > 0.0 ? WeightedBand(Result, Weights) / weight : 0.0;
    f.FailingJunctions = FailingJunctions(Result);
    f.PerformanceIndex = PerformanceIndex(Plan, Result, StopPenalty);
    return f;
}

OptimiseResult Optimise(const ArterialPlan &Start, const PerLink<LinkSets> &Links,
                        const OptimiseRequest &Request, const OptimiseProgress &Progress) {
    OptimiseResult result;
    const BandWeights weights = WeightsFor(Start, Request);
    Trials trials(Links, {}, Request.StopPenalty);
    result.Start = Start;
    result.Proposed = Start;
    result.Before = trials.Run(Start);
    const Score startRank = trials.ScoreOf(Start, result.Before);
    result.EnteringMaximum = trials.Entering();
    result.BeforeFigures = FiguresOf(Start, result.Before, weights, Request.StopPenalty);
    result.After = result.Before;
    result.AfterFigures = result.BeforeFigures;
    if (std::optional<std::string> problem = RequestProblem(Start, Request)) {
        result.Message = *problem;
        return result;
    }

    Trials search(Links, Progress, Request.StopPenalty);
    const std::vector<int> free = Unlocked(Request.Locked);
    std::vector<std::int32_t> cycles;
    if (Request.Cycles) {
        for (std::int32_t c = Request.Cycles->Least; c <= Request.Cycles->Greatest; ++c) {
            cycles.push_back(c);
        }
    }
    std::optional<Proposal> found;
    try {
        // The plan at each cycle of the range that every junction can hold with the crossroad's
        // share as it is.
        std::vector<ArterialPlan> plans;
        if (Request.Cycles) {
            for (const std::int32_t c : cycles) {
                std::optional<ArterialPlan> plan = AtCycle(Start, c, Request.Locked);
                if (plan && search.ScoreOf(*plan).Usable) {
                    plans.push_back(*plan);
                }
            }
            if (plans.empty()) {
                result.Message = "No cycle of the range fits every junction: each keeps its "
                                 "shares of red and green, a locked junction its offset, and "
                                 "crossroad #2 its share.";
                return result;
            }
        } else {
            ArterialPlan plan = Start;
            for (const int k : free) {
                JunctionSignal &s = plan.Signals[k];
                s.CycleOffset = Wrap(s.CycleOffset, s.CycleTime);
            }
            plans.push_back(plan);
        }

        if (Request.Objective == OptimiseObjective::WidestBand) {
            double work = 0.0;
            for (const ArterialPlan &p : plans) {
                work +=
                    Unlocked(Request.Locked).size() == JunctionCount ? 1 : p.Signals[1].CycleTime;
            }
            search.Phase(0.0, 0.8, work);
            // Cycles compare by the weighted band's share of the cycle; among equal shares the
            // current cycle, then the shorter one.
            const ArterialPlan *bestPlan = nullptr;
            BandGeometry bestGeometry;
            BandBest best;
            double bestShare = -1.0;
            for (const ArterialPlan &p : plans) {
                const BandGeometry g = GeometryOf(p);
                BandBest b = SearchBands(g, p, Request.Locked, weights, search, 1.0);
                const double share = b.Value / g.Cycle;
                const bool same = Same(share, bestShare);
                const bool current = g.Cycle == Start.Signals[1].CycleTime && OneCycle(Start);
                if ((!same && share > bestShare) || (same && current)) {
                    bestShare = share;
                    bestPlan = &p;
                    bestGeometry = g;
                    best = std::move(b);
                }
            }
            search.Phase(0.8, 1.0, 64.0);
            found = ChooseBand(*bestPlan, bestGeometry, best, free, weights, search);
        } else {
            const std::int32_t starts = RandomStartsPerEffort * Request.Effort;
            if (plans.size() == 1) {
                search.Phase(0.0, 1.0, starts + 2.0);
                found = SearchDelay(plans.front(), Request.Locked, weights, starts, 1, search);
            } else {
                // A first descent at every cycle, from the better of its plan and its band
                // placement, then the best few cycles searched in full.
                search.Phase(0.0, 0.5, static_cast<double>(plans.size()));
                std::vector<Proposal> screened;
                for (const ArterialPlan &p : plans) {
                    screened.push_back(SearchDelay(p, Request.Locked, weights, 0, 0, search));
                }
                std::vector<std::size_t> order(screened.size());
                for (std::size_t i = 0; i < order.size(); ++i) {
                    order[i] = i;
                }
                std::stable_sort(order.begin(), order.end(),
                                 [&screened](std::size_t a, std::size_t b) {
                                     return Better(screened[a].Rank, screened[b].Rank);
                                 });
                const std::size_t finalists = std::min(order.size(), FinalistCycles);
                search.Phase(0.5, 1.0, static_cast<double>(finalists) * (starts + 2.0));
                for (std::size_t n = 0; n < finalists; ++n) {
                    const std::size_t i = order[n];
                    Proposal p = SearchDelay(screened[i].Plan, Request.Locked, weights, starts,
                                             static_cast<std::uint32_t>(i + 1), search);
                    if (!found || Better(p.Rank, found->Rank)) {
                        found = std::move(p);
                    }
                }
            }
        }
    } catch (const Stopped &) {
        result.Outcome = OptimiseOutcome::Cancelled;
        result.Message = "Cancelled: the timing is as it was.";
        result.Evaluations = search.Count();
        return result;
    }
    result.Evaluations = search.Count() + trials.Count();
    if (!found) {
        result.Message = "No plan was found.";
        return result;
    }

    const ArterialEvaluation &after = trials.Run(found->Plan);
    const PlanFigures figures = FiguresOf(found->Plan, after, weights, Request.StopPenalty);
    bool improved = false;
    if (Request.Objective == OptimiseObjective::WidestBand) {
        result.Exact = found->Exact;
        // The weighted bands' shares of the cycle.
        const double before = result.BeforeFigures.WeightedBand / Start.Signals[1].CycleTime;
        const double proposed = figures.WeightedBand / found->Plan.Signals[1].CycleTime;
        improved = (!Same(proposed, before) && proposed > before) ||
                   (Same(proposed, before) && Better(found->Rank, startRank));
    } else {
        improved = Better(found->Rank, startRank);
    }
    if (!improved) {
        result.Outcome = OptimiseOutcome::AlreadyBest;
        if (Request.Objective == OptimiseObjective::LeastDelay) {
            result.Message =
                "No plan found has less delay and fewer stops than the current timing.";
        } else if (result.Exact) {
            result.Message = "The current timing already gives the widest band there is.";
        } else {
            result.Message = "The current timing already gives the widest band found.";
        }
        return result;
    }
    result.Outcome = OptimiseOutcome::Improved;
    if (Request.Objective == OptimiseObjective::LeastDelay) {
        result.Message = "The least delay and stops the search found.";
    } else if (result.Exact) {
        result.Message = "The widest band there is: no other offsets give a wider weighted band.";
    } else {
        result.Message = "The widest band found; the model's band could not be confirmed as the "
                         "widest there is.";
    }
    result.Proposed = found->Plan;
    result.After = after;
    result.AfterFigures = figures;
    result.EnteringMaximum = trials.Entering();
    return result;
}
