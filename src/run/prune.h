// --prune: what no picture accounts for any more, and the removal of what Snapnook wrote of it.
#pragma once

#include <string>
#include <vector>

#include "core/session.h"
#include "run/album_record.h"

namespace snapnook {

/// What a run prunes: the copies, before it writes the pages (so that no page shows a picture
/// that is then removed), and the pages, after.
enum class Unaccounted { kCopies, kPages };

/// A file (or, for a set kept whole, a set folder) that no picture accounts for, and what
/// --prune does with it.
struct PruneFinding {
  std::string path;  // as the run names it: below the source folder as typed
  bool remove = false;
  std::string why;  // why it is kept
};

/// What --prune finds below the source folder `source`, in the walk's order (`record` may be
/// null: nothing is known to be Snapnook's). A file is removed
/// only when all of these hold: the record lists it; it is unchanged since (size and
/// modification time as recorded); and what it was made from is provably gone. For a copy:
/// its BIG folder can be listed now and holds no such picture (for a sideways screen copy,
/// also: its sideways folder holds no such picture). For a page or a viewer page: the album
/// the run makes has no such page (`pages` lists those it has, by path relative to the
/// source folder). A BIG folder that is missing, cannot be listed or is a link that leads
/// nowhere keeps every copy made from it, told once as a finding naming the set folder. With
/// `everything`, also the files that look like what no picture accounts for but that the
/// record does not list ("not written by Snapnook"), as --check tells them. Never throws.
std::vector<PruneFinding> PruneFindings(Session& session, const AlbumRecord* record,
                                        const std::string& source, Unaccounted what,
                                        const std::vector<std::string>& pages, bool everything);

/// Removes what PruneFindings says to remove, each reported as "Removed PATH" ("--prune would
/// remove: PATH" in a check), and tells each set it keeps whole; a check also tells every file
/// it keeps and why. A removal that fails is shown as the walk's message, and the others go on.
/// An album whose record did not exist before this run loses nothing: that is said once.
/// Throws only RunInterrupted.
void PruneAlbum(Session& session, const AlbumRecord* record, const std::string& source,
                Unaccounted what, const std::vector<std::string>& pages);

}  // namespace snapnook
