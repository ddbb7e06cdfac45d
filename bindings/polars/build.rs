// Compiles the engine into the plugin: the sources listed in
// bindings/engine.sources, each with the flags of bindings/engine.flags and
// its own (the instruction sets of a processor variant), as every binding
// does.  One static library per distinct set of extra flags.
use std::collections::BTreeMap;
use std::fs;
use std::path::PathBuf;

fn main() {
    let manifest = PathBuf::from(std::env::var("CARGO_MANIFEST_DIR").unwrap());
    let top = manifest.join("../..").canonicalize().expect("the repository's top");
    let list = top.join("bindings/engine.sources");
    let flags_file = top.join("bindings/engine.flags");
    let flags: Vec<String> = fs::read_to_string(&flags_file)
        .expect("bindings/engine.flags")
        .split_whitespace()
        .map(str::to_owned)
        .collect();
    let mut groups: BTreeMap<Vec<String>, Vec<PathBuf>> = BTreeMap::new();
    for line in fs::read_to_string(&list).expect("bindings/engine.sources").lines() {
        let line = line.trim();
        if line.is_empty() || line.starts_with('#') {
            continue;
        }
        let mut words = line.split_whitespace();
        let source = top.join(words.next().unwrap());
        groups.entry(words.map(str::to_owned).collect()).or_default().push(source);
    }
    for (i, (extra, sources)) in groups.iter().enumerate() {
        let mut build = cc::Build::new();
        build.cpp(true).warnings(false).include(top.join("include")).include(&top);
        for f in flags.iter().chain(extra) {
            build.flag(f);
        }
        build.files(sources);
        build.compile(&format!("tkengine{i}"));
    }
    println!("cargo:rerun-if-changed={}", list.display());
    println!("cargo:rerun-if-changed={}", flags_file.display());
    for dir in ["date", "ext", "include", "strkernel", "tables"] {
        println!("cargo:rerun-if-changed={}", top.join(dir).display());
    }
}
