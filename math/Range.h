#pragma once

/// @file
/// Screen layout: one- and two-dimensional ranges, screen units and the
/// screen-space calculator.
///
/// An IRange is an interval [begin, end]. A Range stores its ends; a
/// RelativeRange computes them from a parent IRange and one Layout per end:
/// a fraction of the parent's span, an offset from the parent's begin, or a
/// signed offset from the parent's end. Nothing is cached: every query walks
/// the chain of parents as it is now, so moving a parent moves everything laid
/// out in it.
///
/// Ranges are counted objects (math/Referent.h). A RelativeRange holds two
/// references to its parent, one per end, and so keeps it alive. A Range2d
/// holds one reference to each of its two ranges.

#include "math/Export.h"
#include "math/Referent.h"
#include "math/Vector.h"

#include <QString>

#include <cstdint>

namespace orrery {

/// Where one end of a relative range lies within its parent range R.
struct ORRERY_MATH_API Layout {
  /// What value is measured from.
  enum PinType : std::int32_t {
    kPinFraction = 0, ///< R.begin + value * R.span
    kPinBegin = 1,    ///< R.begin + value
    kPinEnd = 2,      ///< R.end + value (negative values lie inside)
  };

  double value; ///< the fraction or the offset, in the parent's units for an offset
  PinType pin;  ///< how value is read
};

/// @name The calls a range makes through its parent's table
/// Applications derive their own ranges from IRange (or from Range or
/// RelativeRange) and lay the library's ranges out in them. A relative
/// range queries its parent only through the table, in this order and this
/// often, and a derived class may rely on it:
/// - an end pinned to a fraction: `getSpan`, then `getBegin`;
/// - an end pinned to the begin: `getBegin`; to the end: `getEnd`;
/// - `RelativeRange::getSpan` (and `Range::getSpan`): its own `getEnd`, then
///   its own `getBegin`, through the table;
/// - converting an end to another pin: its position as above, then
///   `getBegin` (to the begin or a fraction) or `getEnd` (to the end), and
///   for a fraction `getSpan` last; converting to its own pin asks nothing.
/// Nothing is cached: every query walks the chain of parents again.
///
/// Where a range and every range below it, down to the root, is exactly a
/// Range or a RelativeRange, the chain is walked directly, reading each
/// parent's ends once: the calls it saves are to the library's own ranges,
/// which change nothing, so the answers are the same.
/// @{

/// An interval [begin, end] on one screen axis, in pixels unless its owner
/// says otherwise; the base applications derive their own ranges from.
class ORRERY_MATH_API IRange : public Referent {
public:
  ~IRange() override;

  /// The lower end of the interval.
  virtual double getBegin() const = 0;
  /// The upper end of the interval.
  virtual double getEnd() const = 0;
  /// end - begin.
  virtual double getSpan() const = 0;
};

/// @}

/// One end of a relative range: its layout and the counted parent it is
/// measured in. A pin outside the enumeration resolves to 0.0; so does every
/// query of an end without a parent.
struct ORRERY_MATH_API RangeVal {
  Layout layout;         ///< where the end lies in the parent
  RefPtr<IRange> parent; ///< the range it is measured in; may be null

  /// The absolute position of this end in its parent as the parent is now.
  double getValue() const;
  /// The value this end would have under pin type `type` at its current
  /// position. Converting to the stored pin returns the stored value without
  /// querying the parent. A fraction against a parent of zero span is
  /// infinite or NaN.
  double getValAsType(Layout::PinType type) const;
  /// The layout with pin `type` that puts this end where it is now:
  /// {getValAsType(type), type}.
  Layout getLayoutAsType(Layout::PinType type) const;
};

/// An interval held as two numbers; an end below its begin is raised to the
/// begin, so an inverted pair collapses to an empty range.
class ORRERY_MATH_API Range : public IRange {
public:
  /// The empty range [0, 0].
  Range() = default;
  /// [b, e], with e raised to b when below it.
  Range(double b, double e);
  ~Range() override;

  double getBegin() const override; ///< The stored begin
  double getEnd() const override;   ///< The stored end, never below the begin
  double getSpan() const override;  ///< The end less the begin, each asked through the table

  /// Stores [b, e], with e raised to b when below it.
  void set(double b, double e);

private:
  double begin = 0.0;
  double end = 0.0;
};

/// An interval laid out in a parent range. Both ends share one parent and
/// each holds its own reference to it.
class ORRERY_MATH_API RelativeRange : public IRange {
public:
  /// The whole parent: (0, fraction) to (1, fraction).
  explicit RelativeRange(IRange *parent);
  /// The ends at beginLayout and endLayout in parent.
  RelativeRange(IRange *parent, const Layout &beginLayout, const Layout &endLayout);
  /// Releases the end's reference to the parent, then the begin's.
  ~RelativeRange() override;

  /// @name Positions
  /// Computed from the parent as it is now; an end is not raised to the
  /// begin, so a relative range may be inverted.
  /// @{
  double getBegin() const override; ///< The begin layout resolved in the parent
  double getEnd() const override;   ///< The end layout resolved in the parent
  double getSpan() const override;  ///< The end less the begin, each asked through the table
  /// @}

  /// @name Layouts
  /// @{
  void setBeginLayout(Layout layout);                   ///< Moves the begin
  void setEndLayout(Layout layout);                     ///< Moves the end
  void setLayout(Layout beginLayout, Layout endLayout); ///< Moves both ends

  const Layout &getBeginLayout() const { return begin.layout; } ///< The stored begin layout
  const Layout &getEndLayout() const { return end.layout; }     ///< The stored end layout
  /// The begin's layout converted to pin `type` (RangeVal::getLayoutAsType).
  Layout getBeginLayoutAsType(Layout::PinType type) const;
  /// The end's layout converted to pin `type` (RangeVal::getLayoutAsType).
  Layout getEndLayoutAsType(Layout::PinType type) const;
  /// @}

  /// The parent both ends are measured in; may be null.
  IRange *getParent() const { return begin.parent.get(); }
  /// Moves both ends to a new parent (begin first); the layouts stay, so the
  /// range follows the new parent. Setting the current parent changes nothing.
  void setParent(IRange *parent);

private:
  RangeVal begin;
  RangeVal end;
};

/// Where one corner of a relative rectangle lies within its parent.
struct ORRERY_MATH_API Layout2d {
  Layout x; ///< the corner's layout on the x axis
  Layout y; ///< the corner's layout on the y axis
};

/// A rectangle: one range per axis, each held by one reference.
class ORRERY_MATH_API Range2d : public Referent {
public:
  /// Takes a reference to each range that is not null.
  Range2d(IRange *xRange, IRange *yRange);
  /// Releases y, then x.
  ~Range2d() override;
  Range2d(const Range2d &) = delete;
  Range2d &operator=(const Range2d &) = delete;

  /// The x range for index 0, the y range for any other index; may be null.
  IRange *operator[](int i) { return i != 0 ? y.get() : x.get(); }
  /// The x range for index 0, the y range for any other index; may be null.
  const IRange *operator[](int i) const { return i != 0 ? y.get() : x.get(); }

protected:
  RefPtr<IRange> x; ///< the horizontal range
  RefPtr<IRange> y; ///< the vertical range
};

/// A rectangle laid out in a parent rectangle. It creates its own two
/// RelativeRanges on the parent's x and y ranges (y first), covering the
/// whole parent until a layout is set. It holds no reference to the parent
/// rectangle itself, only, through its ranges, to the parent's ranges.
///
/// A child range whose allocation failed is null: getRelX/getRelY return null,
/// setters skip it and getters report (0, fraction) for it.
class ORRERY_MATH_API RelativeRange2d : public Range2d {
public:
  /// The whole of parent.
  explicit RelativeRange2d(Range2d *parent);
  ~RelativeRange2d() override;

  /// @name The two relative ranges
  /// Null where the allocation failed.
  /// @{

  /// The x range.
  RelativeRange *getRelX() { return static_cast<RelativeRange *>(x.get()); }
  /// The x range, read-only.
  const RelativeRange *getRelX() const { return static_cast<const RelativeRange *>(x.get()); }
  /// The y range.
  RelativeRange *getRelY() { return static_cast<RelativeRange *>(y.get()); }
  /// The y range, read-only.
  const RelativeRange *getRelY() const { return static_cast<const RelativeRange *>(y.get()); }
  /// @}

  /// @name Corner layouts
  /// The begin corner holds the begin of both axes, the end corner their ends.
  /// @{
  void setBeginLayout(const Layout2d &layout);                      ///< Moves the begin corner
  void setEndLayout(const Layout2d &layout);                        ///< Moves the end corner
  void set(const Layout2d &beginLayout, const Layout2d &endLayout); ///< Moves both corners

  /// The stored begin corner layout, unconverted.
  Layout2d getBeginLayout() const;
  /// The stored end corner layout, unconverted.
  Layout2d getEndLayout() const;
  /// The begin corner converted to pin type px for x and py for y.
  Layout2d getBeginLayoutAsType(Layout::PinType px, Layout::PinType py) const;
  /// The end corner converted to pin type px for x and py for y.
  Layout2d getEndLayoutAsType(Layout::PinType px, Layout::PinType py) const;
  /// @}

private:
  ORRERY_MATH_LOCAL RelativeRange2d(RelativeRange *yRange, Range2d *parent);
};

/// A rectangle of two plain Ranges supplied by the caller.
class ORRERY_MATH_API AbsoluteRange2d : public Range2d {
public:
  /// Takes a reference to each range that is not null.
  AbsoluteRange2d(Range *xRange, Range *yRange);
  ~AbsoluteRange2d() override;

  /// @name The two ranges
  /// As supplied; null where none was.
  /// @{

  /// The x range.
  Range *getAbsX() { return static_cast<Range *>(x.get()); }
  /// The x range, read-only.
  const Range *getAbsX() const { return static_cast<const Range *>(x.get()); }
  /// The y range.
  Range *getAbsY() { return static_cast<Range *>(y.get()); }
  /// The y range, read-only.
  const Range *getAbsY() const { return static_cast<const Range *>(y.get()); }
  /// @}

  /// Sets x to [begin.x, end.x] and y to [begin.y, end.y], each collapsing as
  /// Range::set does. A missing range is skipped.
  void set(Vec2d beginCorner, Vec2d endCorner);
};

/// A screen position whose components each carry a unit code, an index into
/// sUnitStrs: 0 "pixels", 1 "fraction", 2 "insetPixels".
struct ORRERY_MATH_API ScreenVec {
  static constexpr std::int32_t kPixels = 0;      ///< pixels from the begin
  static constexpr std::int32_t kFraction = 1;    ///< a fraction of the span
  static constexpr std::int32_t kInsetPixels = 2; ///< pixels in from the end
  static constexpr int kUnitCount = 3;            ///< the number of unit codes

  double x;            ///< the horizontal component, in xUnits
  double y;            ///< the vertical component, in yUnits
  std::int32_t xUnits; ///< the unit code of x
  std::int32_t yUnits; ///< the unit code of y

  /// The unit names by code, built when the library is loaded.
  static const QString sUnitStrs[kUnitCount];

  /// The first unit code, in table order, whose name occurs anywhere in text
  /// (case-sensitive); 0 when none does. So any text containing the
  /// lower-case "pixels" gives 0, while "insetPixels" gives 2.
  static int unitsFromString(const QString &text);

  /// The unit name of component i: x for 0, y for any other index. A unit
  /// code outside 0 to 2 reads as "pixels".
  const QString &getUnits(int i) const;
};

namespace math {

/// Per-pixel view tangents of a screen: tan(fov / 2) / (size / 2) on each
/// axis, at the centre of the screen, and the square of the larger. A screen
/// without area (either size below 1) gets zero tangents.
class ORRERY_MATH_API ScreenSpaceCalculator {
public:
  /// @param position   the eye position, kept as given
  /// @param fov        the horizontal and vertical field of view, radians
  /// @param screenSize the width and height, pixels
  ScreenSpaceCalculator(const Vec3d &position, const Vec2d &fov, const Vec2<int> &screenSize);

  /// The eye position given to the constructor.
  const Vec3d &getPosition() const { return position; }
  /// tan(fov.x / 2) / (width / 2): the horizontal tangent one pixel spans.
  double getPixelTanX() const { return pixelTanX; }
  /// tan(fov.y / 2) / (height / 2): the vertical tangent one pixel spans.
  double getPixelTanY() const { return pixelTanY; }
  /// The square of the larger per-pixel tangent; the x tangent wins ties
  /// and comparisons with NaN.
  double getPixelTanSq() const { return pixelTanSq; }

private:
  Vec3d position;
  double pixelTanX;
  double pixelTanY;
  double pixelTanSq;
};

} // namespace math

} // namespace orrery
