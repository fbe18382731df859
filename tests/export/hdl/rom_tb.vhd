-- Reads every word of the generated package's ROM, puts each code's chips together by the
-- order the package states, and checks its matched filter's output against vectors.txt.
-- Reports PASS, or fails with each mismatch.
library ieee;
use ieee.std_logic_1164.all;
use std.textio.all;
use work.codegen_rom.all;

entity rom_tb is
end entity rom_tb;

architecture sim of rom_tb is
begin
    process
        file Vectors : text open read_mode is "vectors.txt";
        type chips_t is array (0 to CODE_LENGTH - 1) of integer;
        variable Chips : chips_t;
        variable Word : rom_word_t;
        variable Pair : std_logic_vector(1 downto 0);
        variable Place, Shift, Y, M, Expected, Failures, Samples : integer := 0;
        variable Found : boolean;

        -- The next number of the vectors file: lines starting with '#' are comments.
        procedure next_value(variable Value : out integer; variable Got : out boolean) is
            variable Text : line;
            variable Ok : boolean;
        begin
            Got := false;
            while not endfile(Vectors) loop
                readline(Vectors, Text);
                if Text'length > 0 and Text(Text'low) /= '#' then
                    read(Text, Value, Ok);
                    Got := Ok;
                    deallocate(Text);
                    return;
                end if;
                deallocate(Text);
            end loop;
        end procedure;
    begin
        for Code in 0 to CODE_COUNT - 1 loop
            for J in 0 to WORDS_PER_CODE - 1 loop
                Word := ROM(Code * WORDS_PER_CODE + J);
                for K in 0 to WORD_CHIPS - 1 loop
                    Place := J * WORD_CHIPS + K;
                    if MSB_FIRST then
                        Shift := WORD_BITS - CHIP_BITS * (K + 1);
                    else
                        Shift := CHIP_BITS * K;
                    end if;
                    if CHIP_BITS = 1 then
                        Pair := '0' & Word(Shift);
                    else
                        Pair := Word(Shift + 1) & Word(Shift);
                    end if;
                    if Place >= CODE_LENGTH then
                        if Pair /= "00" then
                            report "code " & integer'image(Code + 1) & ": chip place " &
                                integer'image(Place) & " past the code is not zero" severity error;
                            Failures := Failures + 1;
                        end if;
                    elsif CHIP_BITS = 1 then
                        if Pair(0) = '1' then
                            Chips(Place) := 1;
                        else
                            Chips(Place) := -1;
                        end if;
                    elsif Pair = "01" then
                        Chips(Place) := 1;
                    elsif Pair = "10" then
                        Chips(Place) := -1;
                    elsif Pair = "00" then
                        Chips(Place) := 0;
                    else
                        report "code " & integer'image(Code + 1) & ": chip " &
                            integer'image(Place) & " is no chip" severity error;
                        Failures := Failures + 1;
                    end if;
                end loop;
            end loop;
            for N in 0 to 2 * CODE_LENGTH - 2 loop
                Y := 0;
                for K in 0 to CODE_LENGTH - 1 loop
                    M := CODE_LENGTH - 1 - N + K;
                    if M >= 0 and M < CODE_LENGTH then
                        Y := Y + Chips(K) * Chips(M);
                    end if;
                end loop;
                next_value(Expected, Found);
                Samples := Samples + 1;
                if not Found or Expected /= Y then
                    report "code " & integer'image(Code + 1) & " sample " & integer'image(N) &
                        ": the ROM gives " & integer'image(Y) & ", the vectors " &
                        integer'image(Expected) severity error;
                    Failures := Failures + 1;
                end if;
            end loop;
        end loop;
        next_value(Expected, Found);
        if Found then
            report "the vectors file holds more samples than the ROM's codes" severity error;
            Failures := Failures + 1;
        end if;
        if Failures = 0 and Samples > 0 then
            report "PASS: " & integer'image(CODE_COUNT) & " codes, " & integer'image(Samples) &
                " samples";
        else
            report "FAIL: " & integer'image(Failures) & " mismatches" severity failure;
        end if;
        wait;
    end process;
end architecture sim;
