# Warnings on for every target of the project; third-party headers come in as SYSTEM includes.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow=local -Wno-unused-parameter)
