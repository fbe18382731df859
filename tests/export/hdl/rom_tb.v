// Reads every word of the generated ROM module through its clocked port, puts each code's
// chips together by the order the module states, and checks its matched filter's output
// against vectors.txt. Prints PASS, or FAIL with each mismatch.
`timescale 1ns / 1ns
module rom_tb;
    reg clk = 1'b0;
    reg [31:0] addr = 0;
    wire [127:0] data;

    codegen_rom dut (.clk(clk), .addr(addr), .data(data));

    always #5 clk = ~clk;

    integer L, Count, WordChips, ChipBits, WordBits, WordsPerCode, MsbFirst;
    integer Chips [0:499];
    integer Code, J, K, N, Place, Shift, Chip, Y, Expected, Fd, Ch, Got, Failures, Samples;
    reg [127:0] Word;
    reg [1:0] Pair;

    // The next number of the vectors file: lines starting with '#' are comments.
    task next_value(output integer Value, output integer Found);
        integer Done;
        begin
            Found = 0;
            Done = 0;
            while (!Done) begin
                Ch = $fgetc(Fd);
                if (Ch == -1) begin
                    Done = 1;
                end else if (Ch == "#") begin
                    while (Ch != "\n" && Ch != -1)
                        Ch = $fgetc(Fd);
                end else if (Ch != " " && Ch != "\n" && Ch != "\r" && Ch != "\t") begin
                    Got = $ungetc(Ch, Fd);
                    Got = $fscanf(Fd, "%d", Value);
                    Found = Got == 1;
                    Done = 1;
                end
            end
        end
    endtask

    initial begin
        L = dut.CODE_LENGTH;
        Count = dut.CODE_COUNT;
        WordChips = dut.WORD_CHIPS;
        ChipBits = dut.CHIP_BITS;
        WordBits = dut.WORD_BITS;
        WordsPerCode = dut.WORDS_PER_CODE;
        MsbFirst = dut.MSB_FIRST;
        Failures = 0;
        Samples = 0;
        Fd = $fopen("vectors.txt", "r");
        if (Fd == 0) begin
            $display("FAIL: vectors.txt does not open");
            $finish;
        end
        for (Code = 0; Code < Count; Code = Code + 1) begin
            for (J = 0; J < WordsPerCode; J = J + 1) begin
                addr = Code * WordsPerCode + J;
                @(posedge clk);
                #1 Word = data;
                for (K = 0; K < WordChips; K = K + 1) begin
                    Place = J * WordChips + K;
                    Shift = MsbFirst ? WordBits - ChipBits * (K + 1) : ChipBits * K;
                    Pair = ChipBits == 1 ? {1'b0, Word[Shift]} : {Word[Shift + 1], Word[Shift]};
                    if (Place >= L) begin
                        if (Pair !== 2'b00) begin
                            $display("FAIL: code %0d: chip place %0d past the code is not zero",
                                     Code + 1, Place);
                            Failures = Failures + 1;
                        end
                    end else if (ChipBits == 1) begin
                        Chips[Place] = Pair[0] ? 1 : -1;
                    end else begin
                        case (Pair)
                            2'b01: Chips[Place] = 1;
                            2'b10: Chips[Place] = -1;
                            2'b00: Chips[Place] = 0;
                            default: begin
                                $display("FAIL: code %0d: chip %0d reads %b", Code + 1, Place,
                                         Pair);
                                Failures = Failures + 1;
                            end
                        endcase
                    end
                end
            end
            for (N = 0; N <= 2 * L - 2; N = N + 1) begin
                Y = 0;
                for (K = 0; K < L; K = K + 1)
                    if (L - 1 - N + K >= 0 && L - 1 - N + K < L)
                        Y = Y + Chips[K] * Chips[L - 1 - N + K];
                next_value(Expected, Got);
                Samples = Samples + 1;
                if (!Got || Expected != Y) begin
                    $display("FAIL: code %0d sample %0d: the ROM gives %0d, the vectors %0d",
                             Code + 1, N, Y, Expected);
                    Failures = Failures + 1;
                end
            end
        end
        next_value(Expected, Got);
        if (Got) begin
            $display("FAIL: the vectors file holds more samples than the ROM's codes");
            Failures = Failures + 1;
        end
        if (Failures == 0 && Samples > 0)
            $display("PASS: %0d codes, %0d samples", Count, Samples);
        else
            $display("FAIL: %0d mismatches", Failures);
        $finish;
    end
endmodule
