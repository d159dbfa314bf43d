#include "math/Range.h"
#include "math/Elementary.h"

#include <QStringView>

#include <cmath>
#include <cstring>
#include <string_view>
#include <typeinfo>

namespace orrery {

// ---------------------------------------------------------------------------
// One-dimensional ranges

IRange::~IRange() = default;

namespace {

// Whether r is exactly of type T, not of a class derived from it. The
// library's ranges have their type_info emitted once, in the library, with
// their first virtual function, so the same type is the same object: one
// address comparison, without the name comparison that a mismatch costs
// type_info::operator==.
template <class T> bool rangeIs(const IRange &r) { return &typeid(r) == &typeid(T); }

// Whether r and every range below it, down to the root of its chain, is one
// of the library's own ranges (exactly a Range or a RelativeRange, not a
// class derived from one). Their queries change nothing and answer from the
// chain as it is, so they may be answered directly: the calls they would
// make are made on library ranges only, and nobody can tell them apart.
bool rangeChainIsOwn(const IRange *r) {
  while (r != nullptr) {
    if (!rangeIs<RelativeRange>(*r)) {
      return rangeIs<Range>(*r);
    }
    // Both ends of a relative range share its parent.
    r = static_cast<const RelativeRange *>(r)->getParent();
  }
  return true;
}

void rangeOwnEnds(const IRange &r, double &begin, double &end);

// RangeVal::getValue of an end with layout l in r, a range whose chain is
// the library's own, with every call made directly. A fraction reads the
// parent's ends once each rather than its span and then its begin: the
// span of a library range is its end minus its begin, each read afresh.
double rangeOwnValue(const Layout &l, const IRange *r) {
  if (r == nullptr) {
    return 0.0;
  }
  double begin = 0.0;
  double end = 0.0;
  switch (l.pin) {
  case Layout::kPinFraction:
    rangeOwnEnds(*r, begin, end);
    return begin + l.value * (end - begin);
  case Layout::kPinBegin:
    if (rangeIs<Range>(*r)) {
      return static_cast<const Range &>(*r).Range::getBegin() + l.value;
    }
    {
      const auto &rel = static_cast<const RelativeRange &>(*r);
      return rangeOwnValue(rel.getBeginLayout(), rel.getParent()) + l.value;
    }
  case Layout::kPinEnd:
    if (rangeIs<Range>(*r)) {
      return static_cast<const Range &>(*r).Range::getEnd() + l.value;
    }
    {
      const auto &rel = static_cast<const RelativeRange &>(*r);
      return rangeOwnValue(rel.getEndLayout(), rel.getParent()) + l.value;
    }
  default:
    return 0.0;
  }
}

// The begin and end of r, a range whose chain is the library's own.
void rangeOwnEnds(const IRange &r, double &begin, double &end) {
  if (rangeIs<Range>(r)) {
    const auto &abs = static_cast<const Range &>(r);
    end = abs.Range::getEnd();
    begin = abs.Range::getBegin();
    return;
  }
  const auto &rel = static_cast<const RelativeRange &>(r);
  end = rangeOwnValue(rel.getEndLayout(), rel.getParent());
  begin = rangeOwnValue(rel.getBeginLayout(), rel.getParent());
}

} // namespace

double RangeVal::getValue() const {
  const IRange *r = parent.get();
  if (r == nullptr) {
    return 0.0;
  }
  if (rangeChainIsOwn(r)) {
    return rangeOwnValue(layout, r);
  }
  // Through the table, as a range derived by the application expects.
  switch (layout.pin) {
  case Layout::kPinFraction: {
    const double span = r->getSpan();
    return r->getBegin() + layout.value * span;
  }
  case Layout::kPinBegin:
    return r->getBegin() + layout.value;
  case Layout::kPinEnd:
    return r->getEnd() + layout.value;
  default:
    return 0.0;
  }
}

double RangeVal::getValAsType(Layout::PinType type) const {
  if (layout.pin == type) {
    return layout.value;
  }
  const IRange *r = parent.get();
  if (r == nullptr) {
    return 0.0;
  }
  const double a = getValue();
  switch (type) {
  case Layout::kPinBegin:
    return a - r->getBegin();
  case Layout::kPinEnd:
    return a - r->getEnd();
  case Layout::kPinFraction: {
    const double offset = a - r->getBegin();
    return offset / r->getSpan();
  }
  default:
    return 0.0;
  }
}

Layout RangeVal::getLayoutAsType(Layout::PinType type) const {
  return Layout{getValAsType(type), type};
}

Range::Range(double b, double e) { set(b, e); }

Range::~Range() = default;

double Range::getBegin() const { return begin; }

double Range::getEnd() const { return end; }

double Range::getSpan() const {
  const double e = getEnd();
  return e - getBegin();
}

void Range::set(double b, double e) {
  begin = b;
  end = b > e ? b : e;
}

RelativeRange::RelativeRange(IRange *parent)
    : RelativeRange(parent, Layout{0.0, Layout::kPinFraction}, Layout{1.0, Layout::kPinFraction}) {}

RelativeRange::RelativeRange(IRange *parent, const Layout &beginLayout, const Layout &endLayout)
    : begin{beginLayout, parent}, end{endLayout, parent} {}

RelativeRange::~RelativeRange() {
  end.parent = nullptr;
  begin.parent = nullptr;
}

double RelativeRange::getBegin() const { return begin.getValue(); }

double RelativeRange::getEnd() const { return end.getValue(); }

double RelativeRange::getSpan() const {
  const double e = getEnd();
  return e - getBegin();
}

void RelativeRange::setBeginLayout(Layout layout) { begin.layout = layout; }

void RelativeRange::setEndLayout(Layout layout) { end.layout = layout; }

void RelativeRange::setLayout(Layout beginLayout, Layout endLayout) {
  setBeginLayout(beginLayout);
  setEndLayout(endLayout);
}

Layout RelativeRange::getBeginLayoutAsType(Layout::PinType type) const {
  return begin.getLayoutAsType(type);
}

Layout RelativeRange::getEndLayoutAsType(Layout::PinType type) const {
  return end.getLayoutAsType(type);
}

void RelativeRange::setParent(IRange *parent) {
  // Each end replaces its own reference. The begin takes its reference to the
  // new parent before the end lets go of the old one, so an old parent that
  // held the new one cannot take it down on the way out.
  begin.parent = parent;
  end.parent = parent;
}

// ---------------------------------------------------------------------------
// Two-dimensional ranges

namespace {

IRange *rangeAxisOf(Range2d *rect, int axis) { return rect != nullptr ? (*rect)[axis] : nullptr; }

// What a child range reads as when its allocation failed.
constexpr Layout kRangeMissingChildLayout{0.0, Layout::kPinFraction};

} // namespace

Range2d::Range2d(IRange *xRange, IRange *yRange) : x(xRange), y(yRange) {}

Range2d::~Range2d() {
  y = nullptr;
  x = nullptr;
}

// The y child is created before the x child: the delegating constructor
// allocates y, the target constructor then allocates x.
RelativeRange2d::RelativeRange2d(Range2d *parent)
    : RelativeRange2d(new RelativeRange(rangeAxisOf(parent, 1)), parent) {}

RelativeRange2d::RelativeRange2d(RelativeRange *yRange, Range2d *parent)
    : Range2d(new RelativeRange(rangeAxisOf(parent, 0)), yRange) {}

RelativeRange2d::~RelativeRange2d() = default;

void RelativeRange2d::setBeginLayout(const Layout2d &layout) {
  if (RelativeRange *rx = getRelX()) {
    rx->setBeginLayout(layout.x);
  }
  if (RelativeRange *ry = getRelY()) {
    ry->setBeginLayout(layout.y);
  }
}

void RelativeRange2d::setEndLayout(const Layout2d &layout) {
  if (RelativeRange *rx = getRelX()) {
    rx->setEndLayout(layout.x);
  }
  if (RelativeRange *ry = getRelY()) {
    ry->setEndLayout(layout.y);
  }
}

void RelativeRange2d::set(const Layout2d &beginLayout, const Layout2d &endLayout) {
  setBeginLayout(beginLayout);
  setEndLayout(endLayout);
}

Layout2d RelativeRange2d::getBeginLayout() const {
  const RelativeRange *rx = getRelX();
  const RelativeRange *ry = getRelY();
  return Layout2d{rx != nullptr ? rx->getBeginLayout() : kRangeMissingChildLayout,
                  ry != nullptr ? ry->getBeginLayout() : kRangeMissingChildLayout};
}

Layout2d RelativeRange2d::getEndLayout() const {
  const RelativeRange *rx = getRelX();
  const RelativeRange *ry = getRelY();
  return Layout2d{rx != nullptr ? rx->getEndLayout() : kRangeMissingChildLayout,
                  ry != nullptr ? ry->getEndLayout() : kRangeMissingChildLayout};
}

Layout2d RelativeRange2d::getBeginLayoutAsType(Layout::PinType px, Layout::PinType py) const {
  const RelativeRange *rx = getRelX();
  const RelativeRange *ry = getRelY();
  return Layout2d{rx != nullptr ? rx->getBeginLayoutAsType(px) : kRangeMissingChildLayout,
                  ry != nullptr ? ry->getBeginLayoutAsType(py) : kRangeMissingChildLayout};
}

Layout2d RelativeRange2d::getEndLayoutAsType(Layout::PinType px, Layout::PinType py) const {
  const RelativeRange *rx = getRelX();
  const RelativeRange *ry = getRelY();
  return Layout2d{rx != nullptr ? rx->getEndLayoutAsType(px) : kRangeMissingChildLayout,
                  ry != nullptr ? ry->getEndLayoutAsType(py) : kRangeMissingChildLayout};
}

AbsoluteRange2d::AbsoluteRange2d(Range *xRange, Range *yRange) : Range2d(xRange, yRange) {}

AbsoluteRange2d::~AbsoluteRange2d() = default;

void AbsoluteRange2d::set(Vec2d beginCorner, Vec2d endCorner) {
  if (Range *rx = getAbsX()) {
    rx->set(beginCorner.x, endCorner.x);
  }
  if (Range *ry = getAbsY()) {
    ry->set(beginCorner.y, endCorner.y);
  }
}

// ---------------------------------------------------------------------------
// Screen units

namespace {

// The unit names by code, the text of ScreenVec::sUnitStrs.
constexpr std::u16string_view kRangeUnitNames[ScreenVec::kUnitCount] = {u"pixels", u"fraction",
                                                                        u"insetPixels"};

// Whether name occurs in text: the case-sensitive match of QString::indexOf,
// code unit by code unit, on a constant name, with no needle object to set
// up per call.
bool rangeContains(std::u16string_view text, std::u16string_view name) {
  const std::size_t n = name.size();
  if (text.size() < n) {
    return false;
  }
  const char16_t first = name[0];
  const std::size_t last = text.size() - n;
  for (std::size_t i = 0; i <= last; ++i) {
    if (text[i] == first && std::memcmp(text.data() + i, name.data(), n * sizeof(char16_t)) == 0) {
      return true;
    }
  }
  return false;
}

} // namespace

// Built during the library's static initialisation and released at unload;
// nothing in the library reads them before that.
const QString ScreenVec::sUnitStrs[kUnitCount] = {
    QStringView(kRangeUnitNames[0]).toString(),
    QStringView(kRangeUnitNames[1]).toString(),
    QStringView(kRangeUnitNames[2]).toString(),
};

int ScreenVec::unitsFromString(const QString &text) {
  const std::u16string_view view(QStringView(text).utf16(), std::size_t(text.size()));
  for (int i = 0; i < kUnitCount; ++i) {
    if (rangeContains(view, kRangeUnitNames[i])) {
      return i;
    }
  }
  return kPixels;
}

const QString &ScreenVec::getUnits(int i) const {
  const std::int32_t code = i != 0 ? yUnits : xUnits;
  return sUnitStrs[code >= 0 && code < kUnitCount ? code : kPixels];
}

namespace {

// Maps a point of the symmetric square [-1, 1]^2 to the unit square [0, 1]^2.
[[maybe_unused]] constexpr void toZeroToOneNormalizedSpace(double &x, double &y) {
  x = (x + 1) * 0.5;
  y = (1 + y) * 0.5;
}

// The inverse mapping, from [0, 1]^2 back to [-1, 1]^2.
[[maybe_unused]] constexpr void fromZeroToOneNormalizedSpace(double &x, double &y) {
  x = x + x - 1;
  y = y + y - 1;
}

static_assert([] {
  double x = -1.0;
  double y = 0.0;
  toZeroToOneNormalizedSpace(x, y);
  double u = 1.0;
  double v = 0.25;
  toZeroToOneNormalizedSpace(u, v);
  fromZeroToOneNormalizedSpace(u, v);
  return x == 0.0 && y == 0.5 && u == 1.0 && v == 0.25;
}());

} // namespace

// ---------------------------------------------------------------------------
// Screen-space calculator

namespace math {

ScreenSpaceCalculator::ScreenSpaceCalculator(const Vec3d &position, const Vec2d &fov,
                                             const Vec2<int> &screenSize)
    : position(position), pixelTanX(0.0), pixelTanY(0.0), pixelTanSq(0.0) {
  if (screenSize.x >= 1 && screenSize.y >= 1) {
    pixelTanX = elementary::tan(fov.x * 0.5) / (static_cast<double>(screenSize.x) * 0.5);
    pixelTanY = elementary::tan(fov.y * 0.5) / (static_cast<double>(screenSize.y) * 0.5);
    // The x tangent wins ties (and comparisons with NaN).
    const double larger = pixelTanY > pixelTanX ? pixelTanY : pixelTanX;
    pixelTanSq = larger * larger;
  }
}

} // namespace math

} // namespace orrery
