// The eight files of a scenario: their names, the kind of a path, and the identity check that
// keeps every name a plain file name of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/identity.h"

namespace scenario {

// The name endings that tell the kinds apart; every name is the base name, then "_", then these
// (the train files with the train number between).
inline constexpr std::string_view kLineSourceSuffix = "_linea.txt";
inline constexpr std::string_view kTrainSourceSuffix = "-.txt";
inline constexpr std::string_view kSchedaSuffix = "_scheda_treno.txt";
inline constexpr std::string_view kRallentamentiSuffix = "_rallentamenti.txt";
inline constexpr std::string_view kNoteSuffix = "_note.txt";
inline constexpr std::string_view kCurveSuffix = "_linea.dat";
inline constexpr std::string_view kGeneralSuffix = ".sim";
inline constexpr std::string_view kTrackSuffix = ".dat";

// NAME_linea.txt, NAME_TRAIN-.txt, NAME_TRAIN_scheda_treno.txt, NAME_TRAIN_rallentamenti.txt,
// NAME_TRAIN_note.txt, NAME_linea.dat, NAME_TRAIN.sim, NAME_TRAIN.dat.
std::string line_source_name(const Identity& id);
std::string train_source_name(const Identity& id);
std::string scheda_name(const Identity& id);
std::string rallentamenti_name(const Identity& id);
std::string note_name(const Identity& id);
std::string curve_file_name(const Identity& id);
std::string general_file_name(const Identity& id);
std::string track_file_name(const Identity& id);

// All eight, in the order above.
std::vector<std::string> scenario_file_names(const Identity& id);

// What a path names, told by its ending alone. "_linea.dat" is the curve file and any other
// ".dat" a track file; "_linea.txt" the line source and any other "-.txt" a train source.
enum class FileKind { kUnknown, kLineSource, kTrainSource, kCurve, kGeneral, kTrack };
FileKind file_kind(std::string_view path);

bool ends_with(std::string_view s, std::string_view suffix);

// The source kind of a file name (its folders left out): kLineSource for NAME_linea.txt,
// kTrainSource for NAME_TRAIN-.txt, kUnknown for anything else, a bare ending too.
FileKind source_file_kind(std::string_view path);

// What a source's file name tells of its scenario: NAME and TRAIN of NAME_TRAIN-.txt (the train
// number is what follows the last "_"), NAME alone of NAME_linea.txt (train empty). nullopt when
// the name is no source's or leaves either part empty.
std::optional<Identity> source_identity(std::string_view file_name);

// The train number of a train source of the scenario name: TRAIN of NAME_TRAIN-.txt, where
// TRAIN holds no "_". nullopt for any other file name.
std::optional<std::string> train_of_source(std::string_view file_name, std::string_view name);

// Checks one identity text: empty, "/", "\", "..", a control character or a byte outside ASCII
// is refused. Returns why, naming the text as what.
std::optional<std::string> identity_problem(const std::string& what, const std::string& text);

// Checks a whole identity: both texts as above, and no two of its eight file names the same
// (letters compared without case, as the simulator's file system does), which would make one
// file silently replace another. Returns why.
std::optional<std::string> identity_check(const Identity& id);

}  // namespace scenario
