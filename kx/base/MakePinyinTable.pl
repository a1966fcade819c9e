#!/usr/bin/perl
# Writes the pinyin table (KxPinyinTable.cpp) from the Unicode Han database, at build time:
#
#   perl MakePinyinTable.pl BZCAT Unihan_Readings.txt.bz2 UnicodeData.txt OUTPUT.cpp
#
# A character's readings are its kMandarin reading(s) first, then the further readings the
# two modern dictionaries of the database list (kTGHZ2013, kXHC1983): kMandarin names only
# the most common reading of a polyphone (行 xíng, 长 zhǎng). Tones are dropped and ü is
# written "v". A compatibility ideograph without readings of its own takes those of the
# character it decomposes to (UnicodeData.txt). Only the blocks code page 936 maps its Hanzi
# into are kept: CJK Unified Ideographs (U+4E00-U+9FFF) and CJK Compatibility Ideographs
# (U+F900-U+FAFF).
use strict;
use warnings;
use utf8;

die "usage: $0 BZCAT Unihan_Readings.txt.bz2 UnicodeData.txt OUTPUT.cpp\n" unless @ARGV == 4;
my ($bzcat, $readingsFile, $unicodeDataFile, $outputFile) = @ARGV;

my @blocks = ([0x4E00, 0x9FFF, 'kPinyinUnified'], [0xF900, 0xFAFF, 'kPinyinCompatibility']);
sub InBlocks {
  my ($cp) = @_;
  for my $b (@blocks) { return 1 if $cp >= $b->[0] && $cp <= $b->[1]; }
  return 0;
}

# Toneless lower-case ASCII, ü as v.
my %plain = (
  'ā' => 'a', 'á' => 'a', 'ǎ' => 'a', 'à' => 'a',
  'ē' => 'e', 'é' => 'e', 'ě' => 'e', 'è' => 'e', 'ê' => 'e', 'ế' => 'e', 'ề' => 'e',
  'ī' => 'i', 'í' => 'i', 'ǐ' => 'i', 'ì' => 'i',
  'ō' => 'o', 'ó' => 'o', 'ǒ' => 'o', 'ò' => 'o',
  'ū' => 'u', 'ú' => 'u', 'ǔ' => 'u', 'ù' => 'u',
  'ü' => 'v', 'ǖ' => 'v', 'ǘ' => 'v', 'ǚ' => 'v', 'ǜ' => 'v',
  'ḿ' => 'm', 'ń' => 'n', 'ň' => 'n', 'ǹ' => 'n',
);
sub Toneless {
  my ($reading) = @_;
  $reading =~ s/[\x{300}-\x{36F}]//g;  # combining tone marks (ê̄)
  $reading = join '', map { exists $plain{$_} ? $plain{$_} : $_ } split //, $reading;
  $reading = lc $reading;
  die "MakePinyinTable: unexpected reading '$reading'\n" unless $reading =~ /^[a-z]{1,6}$/;
  return $reading;
}

# Readings by code point, kMandarin first, each once.
my %readings;
my %ordered = (kMandarin => 0, kTGHZ2013 => 1, kXHC1983 => 2);
my %fields;   # cp -> [ [field order, readings...] ... ]
open(my $in, '-|', $bzcat, $readingsFile) or die "MakePinyinTable: cannot run bzcat on $readingsFile: $!\n";
binmode($in, ':utf8');  # a layer of perl-base itself, Debian's essential perl
my $version = '';
while (my $line = <$in>) {
  $version = $1 if $line =~ /^# Unicode version: (\S+)/;
  next unless $line =~ /^U\+([0-9A-F]+)\t(kMandarin|kTGHZ2013|kXHC1983)\t(.*?)\s*$/;
  my ($cp, $field, $value) = (hex $1, $2, $3);
  next unless InBlocks($cp);
  my @values;
  if ($field eq 'kMandarin') {
    @values = split ' ', $value;
  } else {
    # "131.140:háng 136.100:héng": locations, a colon, one reading
    for my $entry (split ' ', $value) {
      die "MakePinyinTable: unexpected $field entry '$entry'\n" unless $entry =~ /:([^:,]+)$/;
      push @values, $1;
    }
  }
  push @{$fields{$cp}}, [$ordered{$field}, @values];
}
close($in) or die "MakePinyinTable: bzcat failed on $readingsFile\n";
die "MakePinyinTable: no readings in $readingsFile\n" unless %fields;

for my $cp (keys %fields) {
  my @list;
  for my $f (sort { $a->[0] <=> $b->[0] } @{$fields{$cp}}) {
    my @values = @$f;
    shift @values;
    for my $v (@values) {
      my $t = Toneless($v);
      push @list, $t unless grep { $_ eq $t } @list;
    }
  }
  $readings{$cp} = \@list;
}

open(my $data, '<', $unicodeDataFile) or die "MakePinyinTable: cannot read $unicodeDataFile: $!\n";
while (my $line = <$data>) {
  my @f = split /;/, $line;
  next unless @f > 5 && $f[5] =~ /^([0-9A-F]{4,5})$/;
  my ($cp, $target) = (hex $f[0], hex $1);
  next unless InBlocks($cp) && !$readings{$cp} && $readings{$target};
  $readings{$cp} = $readings{$target};
}
close($data);

# Syllables, sorted; a set is its count followed by its syllables' numbers.
my %syllables;
$syllables{$_} = 1 for map { @$_ } values %readings;
my @syllables = sort keys %syllables;
my %syllableNumber;
$syllableNumber{$syllables[$_]} = $_ for 0 .. $#syllables;

my @sets = (0);  # offset 0: no readings
my %setOffset;
my $maxReadings = 0;
for my $cp (sort { $a <=> $b } keys %readings) {
  my $key = join ' ', @{$readings{$cp}};
  next if exists $setOffset{$key};
  my @r = @{$readings{$cp}};
  $maxReadings = @r if @r > $maxReadings;
  $setOffset{$key} = scalar @sets;
  push @sets, scalar(@r), map { $syllableNumber{$_} } @r;
}
die "MakePinyinTable: the sets do not fit 16 bits\n" if @sets > 0xFFFF;
die "MakePinyinTable: $maxReadings readings of one character exceed kPinyinMaxReadings (KxPinyin.h)\n"
  if $maxReadings > 8;

sub Rows {
  my ($per, @values) = @_;
  my $text = '';
  for (my $i = 0; $i < @values; $i += $per) {
    my $last = $i + $per - 1;
    $last = $#values if $last > $#values;
    $text .= '  ' . join(',', @values[$i .. $last]) . ",\n";
  }
  return $text;
}

my $out = '';
$out .= "// Made at build time by kx/base/MakePinyinTable.pl from Unihan_Readings.txt";
$out .= " (Unicode $version)" if $version;
$out .= ".\n#include \"kx/base/KxPinyin.h\"\n\n";
$out .= "const int kPinyinSyllableCount = " . scalar(@syllables) . ";\n";
$out .= "const char kPinyinSyllableText[] =\n";
for (my $i = 0; $i < @syllables; $i += 16) {
  my $last = $i + 15;
  $last = $#syllables if $last > $#syllables;
  $out .= '  "' . join('', map { "$_\\0" } @syllables[$i .. $last]) . "\"\n";
}
$out .= ";\n";
my @starts;
my $at = 0;
for my $s (@syllables) {
  push @starts, $at;
  $at += length($s) + 1;
}
$out .= "const unsigned short kPinyinSyllableStart[] = {\n" . Rows(16, @starts) . "};\n\n";
$out .= "const unsigned short kPinyinSets[] = {\n" . Rows(16, @sets) . "};\n\n";
for my $b (@blocks) {
  my ($first, $last, $name) = @$b;
  my @row;
  for my $cp ($first .. $last) {
    push @row, $readings{$cp} ? $setOffset{join ' ', @{$readings{$cp}}} : 0;
  }
  $out .= sprintf("const unsigned short %s[0x%X - 0x%X + 1] = {\n", $name, $last, $first);
  $out .= Rows(24, @row) . "};\n\n";
}

open(my $o, '>', "$outputFile.new") or die "MakePinyinTable: cannot write $outputFile.new: $!\n";
print $o $out;
close($o) or die "MakePinyinTable: cannot write $outputFile.new: $!\n";
rename("$outputFile.new", $outputFile) or die "MakePinyinTable: cannot rename to $outputFile: $!\n";
