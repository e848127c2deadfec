#pragma once
// A list kept to a bound, as the console and the bus monitor's list keep
// theirs: past its limit and a tenth more, the oldest items go at once (so
// appending stays cheap at the bound), and a first item, a note, says how
// many went in all.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Drops the oldest of `items` down to `limit` once it holds a tenth more.
// `dropped` counts every item dropped so far; while it is above zero the
// front item is the note, which `note_of(last_dropped_item, dropped)`
// makes anew. True when items went.
template <typename Item, typename NoteOf>
bool drop_oldest_tenth(std::vector<Item>& items, std::size_t limit, std::uint64_t& dropped, NoteOf note_of) {
  const std::size_t note = dropped > 0 ? 1 : 0;
  if (items.size() <= limit + limit / 10 + note) return false;
  const std::size_t excess = items.size() - note - limit;
  const auto first = items.begin() + static_cast<std::ptrdiff_t>(note);
  const auto last = first + static_cast<std::ptrdiff_t>(excess);
  Item made = note_of(*(last - 1), dropped + excess);
  items.erase(first, last);
  dropped += excess;
  if (note) items.front() = std::move(made);
  else items.insert(items.begin(), std::move(made));
  return true;
}
